#include "model/file_names.h"

#include "model/applet_agent.h"
#include "platform/user_error.h"

#include <filesystem>

namespace pictavo::model {

namespace {

// A file name may have this many bytes on the file systems users keep
// their sites on.
constexpr std::size_t MaxFileNameBytes = 255;
constexpr std::string_view ConfigSuffix = "config.xml";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string galleryIdOf(std::string_view galleryName)
{
    std::string id;
    for (char c : galleryName)
        if (c != ' ')
            id += c;
    return id;
}

std::string galleryNameFault(std::string_view galleryName)
{
    const std::string id = galleryIdOf(galleryName);
    std::string reason;
    if (id.find('/') != std::string::npos)
        reason = "it must not hold \"/\"";
    else if (id.find('\0') != std::string::npos)
        reason = "it must not hold a NUL character";
    else if (!id.empty() && id.front() == '.')
        reason = "it must not begin with \".\", which would hide its configuration file from web servers";
    else if (id.size() + ConfigSuffix.size() > MaxFileNameBytes)
        reason = "with \"" + std::string(ConfigSuffix) + "\" after it, it must not be longer than " +
                 std::to_string(MaxFileNameBytes) + " bytes";
    if (reason.empty())
        return "";
    return "The gallery name \"" + std::string(galleryName) + "\" cannot be used: " + reason + ".";
}

void checkGalleryName(std::string_view galleryName)
{
    const std::string fault = galleryNameFault(galleryName);
    if (!fault.empty())
        throw platform::UserError(fault);
}

bool isPictureName(std::string_view name)
{
    if (name.size() < 8 || name[0] != 'p')
        return false;
    std::size_t at = 1;
    while (at < name.size() && isDigit(name[at]))
        ++at;
    if (at == 1 || at > 11)
        return false;
    const std::string_view rest = name.substr(at);
    for (std::string_view kind : {"_t", "_l"})
        for (std::string_view extension : {".jpg", ".gif", ".bmp"})
            if (rest.size() == kind.size() + extension.size() && rest.substr(0, 2) == kind &&
                rest.substr(2) == extension)
                return true;
    return false;
}

bool isPictureNameOf(std::string_view name, std::size_t item)
{
    const std::string number = "p" + std::to_string(item) + "_";
    return isPictureName(name) && name.substr(0, number.size()) == number;
}

std::string storedPicturePath(std::string_view path)
{
    if (path.find_first_of("\r\n") != std::string_view::npos ||
        path.find(TAppletAgent::FieldSeparator) != std::string_view::npos)
        throw platform::UserError("The picture \"" + std::string(path) +
                                  "\" cannot be added: a project cannot hold a path with a line break or \"" +
                                  std::string(TAppletAgent::FieldSeparator) + "\" in it.");
    if (path.empty())
        return "";
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(std::string(path), error);
    return error ? std::string(path) : absolute.lexically_normal().string();
}

TItemData importedItem(std::string_view picturePath)
{
    TItemData item = TAppletAgent::NewItemData();
    item.OriginalImagePath = storedPicturePath(picturePath);
    item.Level = "0";
    return item;
}

}  // namespace pictavo::model
