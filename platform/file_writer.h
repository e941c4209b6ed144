#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pictavo::platform {

// The one writer every output file goes through. It writes into a temporary
// file beside the target and renames that over the target only after every
// write, the flush and the close have succeeded, so a failed save never
// destroys the previous file. Every failure throws a UserError with the
// runtime's message; an uncommitted writer removes its temporary file.
// A seam for tests: the writes or the close of every file whose name
// contains namePart fail part-way with the error number. Also read from
// PICTAVO_WRITE_FAULT="<name part>:<write|close>:<error number>".
struct WriteFault {
    std::string namePart;
    bool atClose = false;
    int error = 0;
};
void setWriteFault(std::optional<WriteFault> fault);

// Whether commit() waits until the data is on the disk: the user's own files
// are; pictures and copies that any build makes again need not be.
enum class Durability { Synced, Unsynced };

class FileWriter {
public:
    explicit FileWriter(std::filesystem::path target, Durability durability = Durability::Synced);
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    void write(std::string_view bytes);
    // Writes the text followed by CR LF, the line end of every text file.
    void writeLine(std::string_view line);
    void commit();

    const std::filesystem::path& target() const { return m_target; }

private:
    void flushBuffer();
    void discard() noexcept;

    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    int m_fd = -1;
    std::string m_buffer;
    Durability m_durability;
    std::optional<WriteFault> m_fault;
    bool m_committed = false;
};

// Writes the bytes as the whole content of the file, through a FileWriter.
void writeWholeFile(const std::filesystem::path& target, std::string_view bytes,
                    Durability durability = Durability::Synced);

}  // namespace pictavo::platform
