#include "help_window.h"

#include "window_placement.h"

#include <QCloseEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

TfrmHelp::TfrmHelp(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setObjectName("frmHelp");
    setWindowTitle(tr("Help"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName("WebBrowser1");
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(402, 428);
}

void TfrmHelp::navigate(const QUrl& address)
{
    m_browser->setSource(address);
    // It opens beside the main window, where it hides none of the controls
    // the page explains; once open, it stays where the user puts it.
    if (!isVisible() && parentWidget())
        placeBeside(this, parentWidget());
    show();
    raise();
}

void TfrmHelp::closeEvent(QCloseEvent* event)
{
    hide();
    event->ignore();
}
