// pictavo: the editor.

#include "app_icon.h"
#include "dialogs.h"
#include "file_association.h"
#include "main_form.h"
#include "model/value_encodings.h"
#include "platform/folders.h"
#include "platform/user_error.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Spinmora");
    QApplication::setWindowIcon(pictavoIcon());

    QtDialogs dialogs;
    TMainForm form(dialogs);
    dialogs.setOwner(&form);
    RegisterFileAssociation(QApplication::applicationFilePath());
    // This window's own staging folders; starting them also removes those
    // that editors and command-line runs which died have left behind.
    try {
        pictavo::platform::GetRunFolder();
    } catch (const pictavo::platform::UserError&) {
        // Said again, by the command that needs them.
    }
    form.show();

    // A project path with blanks may arrive as several arguments: join them again.
    QString joined;
    for (const QString& argument : QApplication::arguments().mid(1))
        joined += argument + ' ';
    const QString project =
        QString::fromStdString(pictavo::model::trimControl(joined.toStdString()));
    if (!project.isEmpty()) {
        form.setModified(false);
        // A project that cannot be opened says why: its message is shown.
        form.runCommand([&form, &project] { form.OpenProjectFile(project); });
    }
    return application.exec();
}
