#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictavo::platform {

// The whole content of a file; a failure throws a UserError with the
// runtime's message ("File not found", "File access denied", ...).
std::string readWholeFile(const std::filesystem::path& path);

// A regular file read from its start a part at a time, so that a reader can
// look at its size and its first bytes before it takes the rest. Failures
// throw as readWholeFile's do.
class FileReader {
public:
    explicit FileReader(const std::filesystem::path& path);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // The file's size when it was opened.
    std::uint64_t size() const { return m_size; }

    // Appends the file's next bytes to `to` until it holds `limit` bytes or
    // the file ends.
    void readUpTo(std::string& to, std::size_t limit);

private:
    std::filesystem::path m_path;
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

// Takes text one line at a time without copying it. A line ends at CR, at LF
// or at CR LF; a last line without a line end still counts, an empty text has
// no lines. A copy reads on from where the original stood.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}

    // The next line, a view into the text; nothing after the last line.
    std::optional<std::string_view> next();

private:
    std::string_view m_text;
    std::size_t m_position = 0;
};

// Splits text into lines as LineReader takes them.
std::vector<std::string> splitLines(std::string_view text);

}  // namespace pictavo::platform
