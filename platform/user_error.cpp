#include "platform/user_error.h"

#include <cerrno>

namespace pictavo::platform {

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

void throwIoError(int errorNumber)
{
    throw UserError(ioErrorMessage(errorNumber));
}

}  // namespace pictavo::platform
