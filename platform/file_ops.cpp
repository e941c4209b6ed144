#include "platform/file_ops.h"

#include "platform/file_reader.h"
#include "platform/file_writer.h"
#include "platform/user_error.h"

#include <cstdint>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace pictavo::platform {

bool holdsNul(const std::filesystem::path& path)
{
    const std::string& text = path.native();
    return std::memchr(text.data(), '\0', text.size()) != nullptr;
}

bool fileExists(const std::filesystem::path& path)
{
    struct stat info {};
    return !holdsNul(path) && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool folderExists(const std::filesystem::path& path)
{
    struct stat info {};
    return !holdsNul(path) && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    struct stat first {};
    struct stat second {};
    return !holdsNul(a) && !holdsNul(b) && ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

void copyFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    const std::string content = readWholeFile(from);
    struct stat info {};
    if (!holdsNul(to) && ::lstat(to.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::uint64_t>(info.st_size) == content.size()) {
        try {
            if (readWholeFile(to) == content)
                return;
        } catch (const UserError&) {
            // An unreadable target is replaced, or the writer says why it cannot be.
        }
    }
    writeWholeFile(to, content, Durability::Unsynced);
}

bool copyFileOverwriting(const std::filesystem::path& from, const std::filesystem::path& to)
{
    try {
        copyFile(from, to);
        return true;
    } catch (const UserError&) {
        return false;
    }
}

void deleteFile(const std::filesystem::path& path)
{
    if (!holdsNul(path))
        ::unlink(path.c_str());
}

void removeFolderIfEmpty(const std::filesystem::path& path)
{
    if (!holdsNul(path))
        ::rmdir(path.c_str());
}

}  // namespace pictavo::platform
