#include "platform/file_reader.h"

#include "platform/file_ops.h"
#include "platform/user_error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictavo::platform {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

std::string readWholeFile(const std::filesystem::path& path)
{
    if (holdsNul(path))
        throwIoError(EILSEQ, path);
    // O_NONBLOCK keeps a FIFO from stalling the open; such files are refused below.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        throwIoError(errno, path);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        throwIoError(errno, path);
    if (S_ISDIR(info.st_mode))
        throwIoError(EISDIR, path);
    if (!S_ISREG(info.st_mode))
        throwIoError(EACCES, path);

    std::string content;
    content.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(file.get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwIoError(errno, path);
        }
        if (n == 0)
            break;
        content.append(chunk, static_cast<std::size_t>(n));
    }
    return content;
}

std::optional<std::string_view> LineReader::next()
{
    if (m_position >= m_text.size())
        return std::nullopt;
    const std::size_t start = m_position;
    const std::size_t end = m_text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
        m_position = m_text.size();
        return m_text.substr(start);
    }
    m_position = end + 1;
    if (m_text[end] == '\r' && m_position < m_text.size() && m_text[m_position] == '\n')
        ++m_position;
    return m_text.substr(start, end - start);
}

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    LineReader reader(text);
    for (auto line = reader.next(); line; line = reader.next())
        lines.emplace_back(*line);
    return lines;
}

}  // namespace pictavo::platform
