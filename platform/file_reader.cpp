#include "platform/file_reader.h"

#include "platform/file_ops.h"
#include "platform/user_error.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictavo::platform {

std::string readWholeFile(const std::filesystem::path& path)
{
    FileReader file(path);
    std::string content;
    file.readUpTo(content, content.max_size());
    return content;
}

FileReader::FileReader(const std::filesystem::path& path) : m_path(path)
{
    if (holdsNul(path))
        throwIoError(EILSEQ, path);
    // O_NONBLOCK keeps a FIFO from stalling the open; such files are refused below.
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0)
        throwIoError(errno, path);
    struct stat info {};
    int error = 0;
    if (::fstat(m_fd, &info) != 0)
        error = errno;
    else if (S_ISDIR(info.st_mode))
        error = EISDIR;
    else if (!S_ISREG(info.st_mode))
        error = EACCES;
    if (error) {
        ::close(m_fd);
        throwIoError(error, path);
    }
    m_size = static_cast<std::uint64_t>(info.st_size);
}

FileReader::~FileReader() { ::close(m_fd); }

void FileReader::readUpTo(std::string& to, std::size_t limit)
{
    if (to.size() < limit)
        to.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(limit, m_size)));
    char chunk[1 << 16];
    while (to.size() < limit) {
        const ssize_t n = ::read(m_fd, chunk, std::min(sizeof chunk, limit - to.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwIoError(errno, m_path);
        }
        if (n == 0)
            break;
        to.append(chunk, static_cast<std::size_t>(n));
    }
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
