#include "status_progress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include <utility>

StatusProgress::~StatusProgress()
{
    if (m_busy)
        QApplication::restoreOverrideCursor();
}

void StatusProgress::setHint(const std::string& text)
{
    m_hint->setText(QString::fromStdString(text));
    m_hint->repaint();
}

void StatusProgress::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void StatusProgress::setMaximum(int maximum)
{
    m_bar->setMaximum(std::max(1, maximum));
    m_bar->repaint();
}

void StatusProgress::advance(int by)
{
    // A step of a large project's thousands paints only when the bar shows
    // a new hundredth: painting is what such a build would otherwise spend
    // its time on.
    const auto hundredths = [this] { return 100LL * m_bar->value() / m_bar->maximum(); };
    const long long before = hundredths();
    m_bar->setValue(std::min(m_bar->maximum(), m_bar->value() + by));
    if (hundredths() != before)
        m_bar->repaint();
}

void StatusProgress::resetPosition()
{
    m_bar->setValue(0);
    m_bar->repaint();
}

void StatusProgress::waiting() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

void StatusProgress::warning(const std::string& text) { m_warnings.push_back(text); }

std::vector<std::string> StatusProgress::takeWarnings() { return std::exchange(m_warnings, {}); }

void StatusProgress::resetAll()
{
    resetPosition();
    setHint("");
    setBusy(false);
}
