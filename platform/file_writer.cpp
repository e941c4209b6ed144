#include "platform/file_writer.h"

#include "platform/file_ops.h"
#include "platform/user_error.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictavo::platform {

namespace {

constexpr std::size_t bufferLimit = 1 << 16;
// Enough of the name to tell whose temporary file it is, short enough that
// the temporary name of a 255-byte name still fits.
constexpr std::size_t shownNameBytes = 100;
constexpr std::string_view temporaryMarker = ".tmp.pictavo-";
// A temporary file this young may belong to a writer that has not yet
// taken its lock.
constexpr std::time_t youngSeconds = 10;

std::mutex faultMutex;
std::optional<WriteFault> injectedFault;

// The fault that applies to a file of that name, if any.
std::optional<WriteFault> faultFor(const std::string& fileName)
{
    std::optional<WriteFault> fault;
    {
        std::lock_guard<std::mutex> lock(faultMutex);
        fault = injectedFault;
    }
    if (!fault) {
        const char* text = std::getenv("PICTAVO_WRITE_FAULT");
        const std::string setting = text ? text : "";
        const std::size_t first = setting.find(':');
        const std::size_t second = first == std::string::npos ? first : setting.find(':', first + 1);
        if (second != std::string::npos)
            fault = WriteFault{setting.substr(0, first), setting.compare(first + 1, second - first - 1, "close") == 0,
                               std::atoi(setting.c_str() + second + 1)};
    }
    if (fault && !fault->namePart.empty() && fileName.find(fault->namePart) != std::string::npos)
        return fault;
    return std::nullopt;
}

std::filesystem::path folderOf(const std::filesystem::path& file)
{
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

bool isTemporaryName(std::string_view name)
{
    return name.size() > 1 && name[0] == '.' && name.find(temporaryMarker) != std::string_view::npos;
}

// Removes the temporary files of writers that died: unlocked and not young.
// The pictures of a build go into few folders many times over, so a folder
// is looked through once per run for them; the user's own files look every time.
void removeStaleTemporaries(const std::filesystem::path& folder, bool everyTime)
{
    if (!everyTime) {
        static std::mutex mutex;
        static std::set<std::string> seen;
        std::lock_guard<std::mutex> lock(mutex);
        if (!seen.insert(folder.native()).second)
            return;
    }
    DIR* listing = ::opendir(folder.c_str());
    if (!listing)
        return;
    const int folderFd = ::dirfd(listing);
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(listing)) {
        if (!isTemporaryName(entry->d_name))
            continue;
        const int fd = ::openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_mtime + youngSeconds < now &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(folderFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(listing);
}

// The file a path finally names, through any chain of symbolic links.
std::filesystem::path followLinks(const std::filesystem::path& target)
{
    std::filesystem::path file = target;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(file.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return file;
        std::error_code error;
        const std::filesystem::path to = std::filesystem::read_symlink(file, error);
        if (error)
            return file;
        file = to.is_absolute() ? to : folderOf(file) / to;
    }
    throwIoError(ELOOP, target);
}

thread_local FolderTransaction* currentTransaction = nullptr;

std::string hex(unsigned long value)
{
    char text[20];
    std::snprintf(text, sizeof text, "%lx", value);
    return text;
}

// The rename itself is on the disk only once its folder is.
void syncFolder(const std::filesystem::path& folder, const std::filesystem::path& shown)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    ::close(fd);
    if (!synced)
        throwIoError(error, shown);
}

}  // namespace

std::string temporaryNamePrefix(const std::filesystem::path& target)
{
    return "." + target.filename().string().substr(0, shownNameBytes) + std::string(temporaryMarker);
}

FileWriter::FileWriter(std::filesystem::path target, Durability durability, Links links)
    : m_target(std::move(target)), m_durability(durability)
{
    if (m_target.filename().empty() || holdsNul(m_target))
        fail(EILSEQ);
    m_file = links == Links::Follow ? followLinks(m_target) : m_target;
    // A link that is not followed is replaced: nothing of what it points at
    // is looked at or kept.
    struct stat existing {};
    const bool exists = ::lstat(m_file.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode);
    if (exists) {
        if (S_ISDIR(existing.st_mode))
            fail(EISDIR);
        // A write-protected file is refused, also for a user (root) whom the
        // system would let write it.
        if (!S_ISREG(existing.st_mode) || (existing.st_mode & 0222) == 0 ||
            ::faccessat(AT_FDCWD, m_file.c_str(), W_OK, AT_EACCESS) != 0)
            fail(EACCES);
    }
    removeStaleTemporaries(folderOf(m_file), m_durability == Durability::Synced);

    static std::atomic<unsigned long> counter{0};
    const std::string prefix = temporaryNamePrefix(m_file);
    for (unsigned attempt = 0; m_fd < 0; ++attempt) {
        m_temp = folderOf(m_file) / (prefix + hex(static_cast<unsigned long>(::getpid())) + "-" + hex(counter++));
        m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        // A folder that does not exist names no place to create the file.
        if (m_fd < 0 && (errno == ENOENT || errno == ENOTDIR))
            fail(EILSEQ);
        if (m_fd < 0 && (errno != EEXIST || attempt > 100)) {
            const int error = errno;
            m_temp.clear();
            fail(error);
        }
    }
    m_lockFd = ::open(m_temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_lockFd >= 0)
        ::flock(m_lockFd, LOCK_EX);
    if (exists) {
        ::fchmod(m_fd, existing.st_mode & 07777);
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
            [[maybe_unused]] const int ignored = ::fchown(m_fd, existing.st_uid, existing.st_gid);
    }
    m_buffer.reserve(bufferLimit);
    m_fault = faultFor(m_target.filename().string());
}

void setWriteFault(std::optional<WriteFault> fault)
{
    std::lock_guard<std::mutex> lock(faultMutex);
    injectedFault = std::move(fault);
}

FileWriter::~FileWriter()
{
    if (!m_committed)
        discard();
}

void FileWriter::fail(int error) const { throwIoError(error, m_target); }

void FileWriter::write(std::string_view bytes)
{
    if (m_buffer.size() + bytes.size() > bufferLimit)
        flushBuffer();
    if (bytes.size() > bufferLimit) {
        m_buffer.assign(bytes);
        flushBuffer();
        return;
    }
    m_buffer.append(bytes);
}

void FileWriter::writeLine(std::string_view line)
{
    write(line);
    write("\r\n");
}

void FileWriter::flushBuffer()
{
    if (m_fault && !m_fault->atClose && !m_buffer.empty()) {
        // Half of the data reaches the file before the write fails.
        [[maybe_unused]] const ssize_t n = ::write(m_fd, m_buffer.data(), m_buffer.size() / 2);
        fail(m_fault->error);
    }
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t n = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    m_buffer.clear();
}

// Everything but the rename: the data written, flushed and closed.
void FileWriter::finish()
{
    flushBuffer();
    if (m_durability == Durability::Synced && ::fdatasync(m_fd) != 0 && errno != EINVAL)
        fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        fail(errno);
    if (m_fault && m_fault->atClose)
        fail(m_fault->error);
}

void FileWriter::commit()
{
    finish();
    FolderTransaction* transaction = currentTransaction;
    if (transaction && transaction->holds(folderOf(m_file))) {
        transaction->m_pending.push_back({m_temp, m_file, m_target});
        transaction->m_synced = transaction->m_synced || m_durability == Durability::Synced;
        m_committed = true;
        if (m_lockFd >= 0)
            ::close(m_lockFd);
        m_lockFd = -1;
        return;
    }
    if (::rename(m_temp.c_str(), m_file.c_str()) != 0)
        fail(errno);
    m_committed = true;
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
    if (m_durability == Durability::Synced)
        syncFolder(folderOf(m_file), m_target);
}

void FileWriter::discard() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
}

void writeWholeFile(const std::filesystem::path& target, std::string_view bytes, Durability durability, Links links)
{
    FileWriter writer(target, durability, links);
    writer.write(bytes);
    writer.commit();
}

FolderTransaction::FolderTransaction(const std::filesystem::path& folder) : m_outer(currentTransaction)
{
    struct stat info {};
    if (!holdsNul(folder) && ::stat(folder.c_str(), &info) == 0) {
        m_device = info.st_dev;
        m_inode = info.st_ino;
        m_known = true;
    }
    currentTransaction = this;
}

FolderTransaction::~FolderTransaction()
{
    currentTransaction = m_outer;
    for (const Pending& pending : m_pending)
        if (!pending.temp.empty())
            ::unlink(pending.temp.c_str());
}

bool FolderTransaction::holds(const std::filesystem::path& folder) const
{
    struct stat info {};
    return m_known && ::stat(folder.c_str(), &info) == 0 && info.st_dev == m_device && info.st_ino == m_inode;
}

void FolderTransaction::commit()
{
    for (Pending& pending : m_pending) {
        if (::rename(pending.temp.c_str(), pending.file.c_str()) != 0)
            throwIoError(errno, pending.shown);
        pending.temp.clear();
    }
    if (m_synced && !m_pending.empty())
        syncFolder(folderOf(m_pending.front().file), m_pending.front().shown);
    m_pending.clear();
}

FolderLock::FolderLock(const std::filesystem::path& folder, const std::function<void()>& onWait)
{
    m_fd = holdsNul(folder) ? -1 : ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        throwIoError(holdsNul(folder) ? EILSEQ : errno, folder);
    // A file system without locks lets the publish go on unguarded.
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        onWait();
        ::usleep(50 * 1000);
    }
}

FolderLock::~FolderLock() { ::close(m_fd); }

}  // namespace pictavo::platform
