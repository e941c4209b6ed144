#include "dialogs.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Window managers write the title in bold between the window's icon and its
// buttons, and shorten it to "..." where it does not fit: a box with a short
// message would show its title so. It is made wide enough for the title and
// room for the icon and three buttons, each about a line high, and padding.
void makeRoomForTitle(QMessageBox& box)
{
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    const int wanted = metrics.horizontalAdvance(box.windowTitle()) + 6 * metrics.height();
    // An empty item across the first row, which takes no height of its own.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), 0, 0, 1,
                      grid->columnCount());
}

// The platform's message dialog with the product's button names.
Dialogs::Answer ask(QWidget* owner, QMessageBox::Icon icon, const QString& caption, const QString& text,
                    bool withNo, bool withCancel, Dialogs::Answer closed)
{
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, owner);
    QPushButton* yes = box.addButton(QObject::tr("&Yes"), QMessageBox::YesRole);
    QPushButton* no = withNo ? box.addButton(QObject::tr("&No"), QMessageBox::NoRole) : nullptr;
    QPushButton* cancel = withCancel ? box.addButton(QObject::tr("Cancel"), QMessageBox::RejectRole) : nullptr;
    box.setDefaultButton(yes);
    if (cancel)
        box.setEscapeButton(cancel);
    else if (no)
        box.setEscapeButton(no);
    makeRoomForTitle(box);
    box.exec();
    if (box.clickedButton() == yes)
        return Dialogs::Answer::Yes;
    if (no && box.clickedButton() == no)
        return Dialogs::Answer::No;
    return closed;
}

}  // namespace

Dialogs::Answer QtDialogs::askYesNoCancel(const QString& text)
{
    return ask(m_owner, QMessageBox::Warning, QObject::tr("Warning"), text, true, true, Answer::Cancel);
}

Dialogs::Answer QtDialogs::askYesNo(const QString& text)
{
    return ask(m_owner, QMessageBox::Warning, QObject::tr("Warning"), text, true, false, Answer::No);
}

void QtDialogs::warn(const QString& text)
{
    ask(m_owner, QMessageBox::Warning, QObject::tr("Warning"), text, false, false, Answer::Yes);
}

void QtDialogs::showError(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::NoButton, m_owner);
    box.addButton(QObject::tr("OK"), QMessageBox::AcceptRole);
    makeRoomForTitle(box);
    box.exec();
}

QString QtDialogs::openFileName(const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(m_owner, QObject::tr("Open"), folder, filter);
}

QStringList QtDialogs::openFileNames(const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileNames(m_owner, QObject::tr("Open"), folder, filter);
}

QString QtDialogs::saveFileName(const QString& folder, const QString& filter)
{
    // The platform asks before an existing file is replaced.
    return QFileDialog::getSaveFileName(m_owner, QObject::tr("Save As"), folder, filter);
}

std::optional<QColor> QtDialogs::pickColour(const QColor& initial)
{
    const QColor chosen = QColorDialog::getColor(initial, m_owner);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

void QtDialogs::runModal(QDialog& dialog) { dialog.exec(); }

void QtDialogs::openInShell(const QUrl& url) { QDesktopServices::openUrl(url); }
