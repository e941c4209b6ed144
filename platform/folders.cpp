#include "platform/folders.h"

#include "platform/file_ops.h"
#include "platform/file_reader.h"
#include "platform/run_folder.h"
#include "platform/user_error.h"

#include <cstdlib>
#include <system_error>
#include <vector>

namespace pictavo::platform {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string homeFolder() { return environment("HOME"); }

// XDG_<NAME>_DIR from the user's user-dirs.dirs: "$HOME/..." or an absolute path.
std::string userDirectory(std::string_view key)
{
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/')
        config = homeFolder().empty() ? "" : homeFolder() + "/.config";
    if (config.empty())
        return "";
    std::string text;
    try {
        text = readWholeFile(config + "/user-dirs.dirs");
    } catch (const UserError&) {
        return "";
    }
    for (const std::string& line : splitLines(text)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || line.compare(0, equals, key) != 0 || equals != key.size())
            continue;
        std::string value = line.substr(equals + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0)
            value = homeFolder() + value.substr(5);
        if (!value.empty() && value[0] == '/')
            return value;
    }
    return "";
}

std::string userFolderOrFallback(std::string_view key, const char* fallbackName)
{
    std::string folder = userDirectory(key);
    if (folder.empty() && !homeFolder().empty())
        folder = folderExists(homeFolder() + "/" + fallbackName) ? homeFolder() + "/" + fallbackName : homeFolder();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

bool makeFolder(const std::string& path)
{
    if (folderExists(path))
        return true;
    std::error_code ignored;
    std::filesystem::create_directories(path, ignored);
    return folderExists(path);
}

// The base folder, created when missing, then Tavemo/Pictavo/1.0/ below it.
std::filesystem::path productFolderBelow(std::string base, std::string_view noBaseMessage)
{
    if (base.empty() || !makeFolder(base))
        throw UserError(std::string(noBaseMessage));
    for (const char* name : {"Tavemo", "Pictavo", "1.0"}) {
        ensureTrailingSeparator(base);
        base += name;
        if (!makeFolder(base))
            throw UserError(std::string(DataFolderMessage));
    }
    ensureTrailingSeparator(base);
    return base;
}

std::filesystem::path dataSubfolder(const char* name, std::string_view failureMessage)
{
    std::string folder = GetDataFolder().string() + name;
    if (!makeFolder(folder))
        throw UserError(std::string(failureMessage));
    ensureTrailingSeparator(folder);
    return folder;
}

std::filesystem::path runSubfolder(const char* name, std::string_view failureMessage)
{
    std::string folder = runFolderFor(GetDataFolder(), failureMessage).string() + name;
    if (!makeFolder(folder))
        throw UserError(std::string(failureMessage));
    ensureTrailingSeparator(folder);
    return folder;
}

}  // namespace

std::string GetSpecialFolderPath(SpecialFolder folder)
{
    switch (folder) {
    case SpecialFolder::ApplicationData: {
        const std::string data = environment("XDG_DATA_HOME");
        if (!data.empty() && data[0] == '/')
            return data;
        return homeFolder().empty() ? "" : homeFolder() + "/.local/share";
    }
    case SpecialFolder::Documents:
        return userFolderOrFallback("XDG_DOCUMENTS_DIR", "Documents");
    case SpecialFolder::Pictures:
        return userFolderOrFallback("XDG_PICTURES_DIR", "Pictures");
    }
    return "";
}

void ensureTrailingSeparator(std::string& path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
}

std::filesystem::path GetDataFolder()
{
    return productFolderBelow(GetSpecialFolderPath(SpecialFolder::ApplicationData), NoApplicationDataMessage);
}

std::filesystem::path GetSharedTempFolder() { return dataSubfolder("Temp", TempFolderMessage); }

std::filesystem::path GetRunFolder() { return runFolderFor(GetDataFolder(), TempFolderMessage); }

std::filesystem::path GetPreviewFolder() { return runSubfolder("Preview", PreviewFolderMessage); }

std::filesystem::path GetTempFolder() { return runSubfolder("Temp", TempFolderMessage); }

std::filesystem::path GetProjectsFolder()
{
    return productFolderBelow(GetSpecialFolderPath(SpecialFolder::Documents), NoDocumentsMessage);
}

std::filesystem::path GetPicturesFolder() { return GetSpecialFolderPath(SpecialFolder::Pictures); }

std::filesystem::path GetProgramFolder()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    std::string folder = executable.parent_path().string();
    ensureTrailingSeparator(folder);
    if (error || fileExists(folder + "swfobject.js"))
        return folder;
    std::string installed = executable.parent_path().parent_path().string() + "/share/pictavo/";
    return installed;
}

}  // namespace pictavo::platform
