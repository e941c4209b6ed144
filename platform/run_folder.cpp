#include "platform/run_folder.h"

#include "platform/file_ops.h"
#include "platform/file_writer.h"
#include "platform/folders.h"
#include "platform/user_error.h"

#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictavo::platform {

namespace {

constexpr const char* RunsName = "Runs";
constexpr const char* KeptMarker = "kept";
constexpr const char* NewPrefix = ".new-";
// A kept preview stays this long for the user to look at.
constexpr std::time_t keptSeconds = 24 * 60 * 60;
// A run folder still being set up is hidden; one this old was abandoned.
constexpr std::time_t abandonedSeconds = 60 * 60;

void removeTree(const std::filesystem::path& folder)
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

bool olderThan(const struct stat& info, std::time_t seconds)
{
    return info.st_mtime + seconds < std::time(nullptr);
}

// One run's folder, held by a lock on the folder itself for as long as
// this object lives.
class Run {
public:
    Run(std::filesystem::path data, std::filesystem::path folder, int fd)
        : m_data(std::move(data)), m_folder(std::move(folder)), m_fd(fd), m_owner(::getpid())
    {
    }
    ~Run()
    {
        // A forked child that has not yet replaced itself shares the lock but
        // not the run: only the process that began it ends it.
        if (::getpid() != m_owner)
            return;
        if (!isKept())
            removeTree(m_folder);
        ::close(m_fd);
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    const std::filesystem::path& data() const { return m_data; }
    const std::filesystem::path& folder() const { return m_folder; }
    bool isKept() const { return fileExists(m_folder / KeptMarker); }

private:
    std::filesystem::path m_data;
    std::filesystem::path m_folder;
    int m_fd;
    pid_t m_owner;
};

std::mutex runMutex;
std::unique_ptr<Run> currentRun;

// Pictures were once cached in the data folder; the cache now lives in the
// user's cache folder, and what the old one holds is of no further use.
void removeFormerCache(const std::filesystem::path& data)
{
    const std::filesystem::path former = data / "Cache";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(former, error)) {
        std::error_code ignored;
        if (entry.path().extension() == ".pic")
            std::filesystem::remove(entry.path(), ignored);
    }
    removeFolderIfEmpty(former);
}

// Makes the folder under a hidden name, locks it, then gives it its name:
// a run folder that others can see is always locked while its run lives.
std::unique_ptr<Run> beginRun(const std::filesystem::path& data, std::string_view failureMessage)
{
    const std::filesystem::path runs = data / RunsName;
    std::error_code ignored;
    std::filesystem::create_directory(runs, ignored);
    if (!folderExists(runs))
        throw UserError(std::string(failureMessage));
    removeEndedRuns(runs);
    removeFormerCache(data);

    std::string pattern = (runs / (std::string(NewPrefix) + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        throw UserError(std::string(failureMessage));
    const std::filesystem::path made = pattern;
    const int fd = ::open(made.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (fd >= 0)
            ::close(fd);
        removeTree(made);
        throw UserError(std::string(failureMessage));
    }
    const std::filesystem::path named =
        runs / (std::to_string(::getpid()) + "-" + made.filename().string().substr(std::string(NewPrefix).size()));
    if (::rename(made.c_str(), named.c_str()) != 0) {
        ::close(fd);
        removeTree(made);
        throw UserError(std::string(failureMessage));
    }
    return std::make_unique<Run>(data, named, fd);
}

}  // namespace

void removeEndedRuns(const std::filesystem::path& runsFolder, KeptRuns keptRuns)
{
    DIR* listing = ::opendir(runsFolder.c_str());
    if (!listing)
        return;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::filesystem::path folder = runsFolder / name;
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        struct stat kept {};
        bool ended = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &info) == 0;
        if (ended && name.rfind(NewPrefix, 0) == 0)
            ended = olderThan(info, abandonedSeconds);
        if (ended && keptRuns == KeptRuns::StayADay && ::stat((folder / KeptMarker).c_str(), &kept) == 0)
            ended = olderThan(kept, keptSeconds);
        if (ended)
            removeTree(folder);
        ::close(fd);
    }
    ::closedir(listing);
}

std::filesystem::path runFolderFor(const std::filesystem::path& dataFolder, std::string_view failureMessage)
{
    std::lock_guard<std::mutex> lock(runMutex);
    if (currentRun && (currentRun->data() != dataFolder || !folderExists(currentRun->folder())))
        currentRun.reset();
    if (!currentRun)
        currentRun = beginRun(dataFolder, failureMessage);
    std::string folder = currentRun->folder().string();
    ensureTrailingSeparator(folder);
    return folder;
}

// Only the newest kept preview stays: each is a whole gallery's worth of
// pictures, and a later one stands in for those before it.
void KeepRunFolder()
{
    const std::filesystem::path folder = GetRunFolder();
    removeEndedRuns(folder.parent_path().parent_path(), KeptRuns::Go);
    writeWholeFile(folder / KeptMarker, "", Durability::Unsynced);
}

}  // namespace pictavo::platform
