#include "platform/user_error.h"

#include <cerrno>

namespace pictavo::platform {

namespace {

std::string withoutNul(const std::string& message)
{
    if (message.find('\0') == std::string::npos)
        return message;
    std::string shown;
    for (char c : message) {
        if (c == '\0')
            shown += "\\0";
        else
            shown += c;
    }
    return shown;
}

}  // namespace

UserError::UserError(const std::string& message) : std::runtime_error(withoutNul(message)) {}

std::string ioErrorMessage(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
    case ENOTDIR:
        return "File not found";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return "File access denied";
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return "Disk full";
    case ENAMETOOLONG:
    case EILSEQ:
        return "Invalid filename";
    default:
        return "I/O error " + std::to_string(errorNumber);
    }
}

std::string quoted(const std::filesystem::path& path) { return "\"" + path.string() + "\""; }

std::string ioErrorMessage(int errorNumber, const std::filesystem::path& path)
{
    return ioErrorMessage(errorNumber) + ": " + quoted(path);
}

void throwIoError(int errorNumber, const std::filesystem::path& path)
{
    throw UserError(ioErrorMessage(errorNumber, path));
}

}  // namespace pictavo::platform
