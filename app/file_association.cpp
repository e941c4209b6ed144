#include "file_association.h"

#include "app_icon.h"
#include "platform/file_writer.h"
#include "platform/folders.h"
#include "platform/user_error.h"

#include <QProcess>
#include <QStandardPaths>
#include <filesystem>

namespace {

const char* const mimePackage =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "  <mime-type type=\"application/x-pictavo-project\">\n"
    "    <comment>Pictavo project</comment>\n"
    "    <glob pattern=\"*.tvgallery1\"/>\n"
    "  </mime-type>\n"
    "</mime-info>\n";

// Desktop entries quote an argument holding blanks or quotes.
QString execArgument(const QString& path)
{
    if (!path.contains(' ') && !path.contains('"') && !path.contains('\\'))
        return path;
    QString quoted = path;
    quoted.replace("\\", "\\\\\\\\").replace("\"", "\\\\\"");
    return "\"" + quoted + "\"";
}

void refresh(const QString& tool, const std::filesystem::path& folder)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (!program.isEmpty())
        QProcess::startDetached(program, {QString::fromStdString(folder.string())});
}

}  // namespace

void RegisterFileAssociation(const QString& executable)
{
    using pictavo::platform::SpecialFolder;
    // These files are read by the desktop's own tools, which expect LF line ends.
    try {
        const std::filesystem::path data =
            pictavo::platform::GetSpecialFolderPath(SpecialFolder::ApplicationData);
        if (data.empty())
            return;
        const std::filesystem::path mime = data / "mime";
        const std::filesystem::path applications = data / "applications";
        const std::filesystem::path icons = data / "icons" / "hicolor" / "scalable" / "apps";
        std::filesystem::create_directories(mime / "packages");
        std::filesystem::create_directories(applications);
        std::filesystem::create_directories(icons);
        pictavo::platform::writeWholeFile(mime / "packages" / "pictavo.xml", mimePackage);
        // The entry names its icon, as an installed program's does, so that
        // the theme's lookup finds it here or in the installed copy.
        pictavo::platform::writeWholeFile(icons / "pictavo.svg", pictavoIconSvg().toStdString());
        const QString entry = "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Pictavo\n"
                              "Comment=Build image galleries for web pages\n"
                              "Exec=" + execArgument(executable) + " %f\n"
                              "Icon=pictavo\n"
                              "MimeType=application/x-pictavo-project;\n"
                              "Terminal=false\n"
                              "Categories=Graphics;WebDevelopment;\n";
        pictavo::platform::writeWholeFile(applications / "pictavo.desktop", entry.toStdString());
        refresh("update-mime-database", mime);
        refresh("update-desktop-database", applications);
    } catch (const pictavo::platform::UserError&) {
    } catch (const std::filesystem::filesystem_error&) {
    }
}
