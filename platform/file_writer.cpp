#include "platform/file_writer.h"

#include "platform/user_error.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace pictavo::platform {

namespace {

constexpr std::size_t bufferLimit = 1 << 16;

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

std::filesystem::path temporarySibling(const std::filesystem::path& target, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    const std::string name = "." + target.filename().string() + "." + std::to_string(::getpid()) +
                             "-" + std::to_string(counter++) + "-" + std::to_string(attempt) +
                             ".tmp";
    return target.parent_path() / name;
}

}  // namespace

FileWriter::FileWriter(std::filesystem::path target, Durability durability)
    : m_target(std::move(target)), m_durability(durability)
{
    if (m_target.filename().empty())
        throw UserError("Invalid filename");
    for (unsigned attempt = 0; m_fd < 0; ++attempt) {
        m_temp = temporarySibling(m_target, attempt);
        m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        // A folder that does not exist names no place to create the file.
        if (m_fd < 0 && (errno == ENOENT || errno == ENOTDIR))
            throw UserError("Invalid filename");
        if (m_fd < 0 && (errno != EEXIST || attempt > 100))
            throwIoError(errno);
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
        throwIoError(m_fault->error);
    }
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t n = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwIoError(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    m_buffer.clear();
}

void FileWriter::commit()
{
    flushBuffer();
    if (m_durability == Durability::Synced && ::fdatasync(m_fd) != 0 && errno != EINVAL)
        throwIoError(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        throwIoError(errno);
    if (m_fault && m_fault->atClose)
        throwIoError(m_fault->error);
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0)
        throwIoError(errno);
    m_committed = true;
}

void FileWriter::discard() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
}

void writeWholeFile(const std::filesystem::path& target, std::string_view bytes, Durability durability)
{
    FileWriter writer(target, durability);
    writer.write(bytes);
    writer.commit();
}

}  // namespace pictavo::platform
