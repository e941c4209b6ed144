#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace pictavo::platform {

// The one writer every output file goes through. It writes into a temporary
// file beside the target and renames that over the target only after every
// write, the flush and the close have succeeded, so a failed save never
// destroys the previous file. Every failure throws a UserError with the
// runtime's message and the target's path; an uncommitted writer removes its
// temporary file.
//
// A save keeps what the file is: the file keeps its permission bits (and
// owner, where that is allowed), and a write-protected file is refused
// ("File access denied") rather than replaced. A symbolic link at the target
// is replaced by the file, so that no output ever lands outside its folder;
// the user's own project file is saved through its link instead
// (Links::Follow), and the link stays. Temporary files are named ".<name>.tmp.pictavo-<id>"
// with the name shortened, so that a name of the longest length still
// saves; each is locked while its writer lives, and those that a killed run
// left behind are removed when the folder is next written to.
//
// A seam for tests: the writes or the close of every file whose name
// contains namePart fail part-way with the error number. Also read from
// PICTAVO_WRITE_FAULT="<name part>:<write|close>:<error number>".
struct WriteFault {
    std::string namePart;
    bool atClose = false;
    int error = 0;
};
void setWriteFault(std::optional<WriteFault> fault);

// Whether commit() waits until the data and the folder entry are on the
// disk: the user's own files are; pictures and copies that any build makes
// again need not be.
enum class Durability { Synced, Unsynced };

enum class Links { Replace, Follow };

class FileWriter {
public:
    explicit FileWriter(std::filesystem::path target, Durability durability = Durability::Synced,
                        Links links = Links::Replace);
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    void write(std::string_view bytes);
    // Writes the text followed by CR LF, the line end of every text file.
    void writeLine(std::string_view line);
    void commit();

    // The path as the caller gave it.
    const std::filesystem::path& target() const { return m_target; }

private:
    void flushBuffer();
    void finish();
    void discard() noexcept;
    [[noreturn]] void fail(int error) const;

    std::filesystem::path m_target;
    // Where the data really goes: the target with its links followed.
    std::filesystem::path m_file;
    std::filesystem::path m_temp;
    int m_fd = -1;
    // A second descriptor holding the temporary file's lock until the rename.
    int m_lockFd = -1;
    std::string m_buffer;
    Durability m_durability;
    std::optional<WriteFault> m_fault;
    bool m_committed = false;
};

// Writes the bytes as the whole content of the file, through a FileWriter.
void writeWholeFile(const std::filesystem::path& target, std::string_view bytes,
                    Durability durability = Durability::Synced, Links links = Links::Replace);

// Holds back, on this thread, the renames of every writer whose file lies in
// the folder, until commit() makes them all in the order they were written:
// a publish replaces the files of a gallery together, or, when anything
// fails before, leaves them all as they were. Uncommitted files are removed.
class FolderTransaction {
public:
    explicit FolderTransaction(const std::filesystem::path& folder);
    ~FolderTransaction();
    FolderTransaction(const FolderTransaction&) = delete;
    FolderTransaction& operator=(const FolderTransaction&) = delete;

    void commit();

private:
    friend class FileWriter;
    struct Pending {
        std::filesystem::path temp;
        std::filesystem::path file;
        std::filesystem::path shown;
    };
    bool holds(const std::filesystem::path& folder) const;

    dev_t m_device = 0;
    ino_t m_inode = 0;
    bool m_known = false;
    std::vector<Pending> m_pending;
    bool m_synced = false;
    FolderTransaction* m_outer;
};

// An exclusive lock on a folder for as long as this object lives: two
// publishes into one folder take turns. While another holds it, onWait is
// called now and then.
class FolderLock {
public:
    FolderLock(const std::filesystem::path& folder, const std::function<void()>& onWait);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd = -1;
};

// The temporary file name a writer of that target begins with; for tests.
std::string temporaryNamePrefix(const std::filesystem::path& target);

}  // namespace pictavo::platform
