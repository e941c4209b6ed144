#include "platform/preview_server.h"

#include "platform/ascii.h"
#include "platform/user_error.h"

#include <arpa/inet.h>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace pictavo::platform {

namespace {

constexpr std::size_t MaxRequestBytes = 8192;
constexpr int MaxConnections = 32;

struct ContentType {
    const char* extension;
    const char* type;
};

const ContentType contentTypes[] = {
    {".html", "text/html"}, {".htm", "text/html"},         {".js", "text/javascript"},
    {".xml", "application/xml"}, {".css", "text/css"},     {".txt", "text/plain"},
    {".jpg", "image/jpeg"}, {".jpeg", "image/jpeg"},       {".gif", "image/gif"},
    {".bmp", "image/bmp"},  {".png", "image/png"},         {".swf", "application/x-shockwave-flash"},
};

const char* contentTypeOf(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        const std::string extension = lowerCase(name.substr(dot));
        for (const ContentType& t : contentTypes)
            if (extension == t.extension)
                return t.type;
    }
    return "application/octet-stream";
}

// Percent-decodes; false for a malformed escape.
bool percentDecode(const std::string& text, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = hexDigitValue(text[i + 1]);
        const int low = hexDigitValue(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

std::string randomPrefix()
{
    unsigned char bytes[16] = {};
    const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::read(fd, bytes, sizeof bytes) != static_cast<ssize_t>(sizeof bytes)) {
        if (fd >= 0)
            ::close(fd);
        throw UserError("The preview server cannot start: no random numbers are available.");
    }
    ::close(fd);
    static const char digits[] = "0123456789abcdef";
    std::string prefix;
    for (unsigned char b : bytes) {
        prefix += digits[b >> 4];
        prefix += digits[b & 15];
    }
    return prefix;
}

void sendAll(int socket, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(socket, data, size, MSG_NOSIGNAL);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            return;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void sendStatus(int socket, const char* status, const char* extraHeaders = "")
{
    const std::string body = std::string(status) + "\n";
    const std::string head = std::string("HTTP/1.1 ") + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\n" + extraHeaders + "Connection: close\r\n\r\n";
    sendAll(socket, head.data(), head.size());
    sendAll(socket, body.data(), body.size());
}

}  // namespace

struct PreviewServer::State : std::enable_shared_from_this<PreviewServer::State> {
    std::filesystem::path folder;
    std::string prefix;
    int listener = -1;
    int port = 0;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread acceptor;
    std::mutex mutex;
    std::condition_variable idle;
    int active = 0;

    void acceptLoop();
    void handle(int socket) const;
    void respond(int socket, const std::string& method, const std::string& target) const;
};

void PreviewServer::State::acceptLoop()
{
    for (;;) {
        pollfd fds[2] = {{listener, POLLIN, 0}, {wakeRead, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        const int socket = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0)
            continue;
        std::unique_lock<std::mutex> lock(mutex);
        if (active >= MaxConnections) {
            lock.unlock();
            ::close(socket);
            continue;
        }
        ++active;
        lock.unlock();
        // Each connection holds the state, which outlives the server object
        // if a connection is slow to end.
        std::thread([self = shared_from_this(), socket] {
            self->handle(socket);
            // Ends the answer, then reads what the client still sends, so the
            // close does not reset the connection before the answer is read.
            ::shutdown(socket, SHUT_WR);
            char rest[4096];
            while (::recv(socket, rest, sizeof rest, 0) > 0) {
            }
            ::close(socket);
            std::lock_guard<std::mutex> done(self->mutex);
            if (--self->active == 0)
                self->idle.notify_all();
        }).detach();
    }
}

void PreviewServer::State::handle(int socket) const
{
    timeval timeout{5, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    std::string request;
    char chunk[2048];
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (request.size() > MaxRequestBytes) {
            sendStatus(socket, "431 Request Header Fields Too Large");
            return;
        }
        const ssize_t n = ::recv(socket, chunk, sizeof chunk, 0);
        if (n <= 0)
            return;
        request.append(chunk, static_cast<std::size_t>(n));
    }
    const std::size_t lineEnd = request.find("\r\n");
    const std::string line = request.substr(0, lineEnd);
    const std::size_t first = line.find(' ');
    const std::size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
    if (second == std::string::npos || line.compare(second + 1, 5, "HTTP/") != 0) {
        sendStatus(socket, "400 Bad Request");
        return;
    }
    respond(socket, line.substr(0, first), line.substr(first + 1, second - first - 1));
}

void PreviewServer::State::respond(int socket, const std::string& method, const std::string& target) const
{
    if (method != "GET" && method != "HEAD") {
        sendStatus(socket, "405 Method Not Allowed", "Allow: GET, HEAD\r\n");
        return;
    }
    const std::string start = "/" + prefix + "/";
    if (target.compare(0, start.size(), start) != 0) {
        sendStatus(socket, "404 Not Found");
        return;
    }
    const std::string encoded = target.substr(start.size(), target.find_first_of("?#") - start.size());
    std::string name;
    if (!percentDecode(encoded, name)) {
        sendStatus(socket, "400 Bad Request");
        return;
    }
    // Only a plain name of the folder itself: no separators, no hidden files
    // (which also rules out "." and ".."), no NUL.
    if (name.empty() || name[0] == '.' || name.find_first_of(std::string("/\\\0", 3)) != std::string::npos) {
        sendStatus(socket, "404 Not Found");
        return;
    }
    const std::filesystem::path path = folder / name;
    const int file = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (file < 0 || ::fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (file >= 0)
            ::close(file);
        sendStatus(socket, "404 Not Found");
        return;
    }
    const std::string head = std::string("HTTP/1.1 200 OK\r\nContent-Type: ") + contentTypeOf(name) +
                             "\r\nContent-Length: " + std::to_string(info.st_size) +
                             "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n"
                             "Connection: close\r\n\r\n";
    sendAll(socket, head.data(), head.size());
    if (method == "GET") {
        char buffer[1 << 16];
        for (;;) {
            const ssize_t n = ::read(file, buffer, sizeof buffer);
            if (n <= 0)
                break;
            sendAll(socket, buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(file);
}

PreviewServer::PreviewServer(std::filesystem::path folder) : m_state(std::make_shared<State>())
{
    State& s = *m_state;
    s.folder = std::move(folder);
    s.prefix = randomPrefix();
    s.listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int pipeEnds[2] = {-1, -1};
    if (s.listener < 0 || ::bind(s.listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(s.listener, 64) != 0 ||
        ::getsockname(s.listener, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        const std::string reason = std::strerror(errno);
        if (s.listener >= 0)
            ::close(s.listener);
        throw UserError("The preview server cannot start: " + reason + ".");
    }
    s.port = ntohs(address.sin_port);
    s.wakeRead = pipeEnds[0];
    s.wakeWrite = pipeEnds[1];
    s.acceptor = std::thread([state = m_state] { state->acceptLoop(); });
}

PreviewServer::~PreviewServer()
{
    State& s = *m_state;
    const char wake = 1;
    [[maybe_unused]] const ssize_t written = ::write(s.wakeWrite, &wake, 1);
    s.acceptor.join();
    ::close(s.listener);
    // Connections still open finish within their time-outs.
    std::unique_lock<std::mutex> lock(s.mutex);
    s.idle.wait_for(lock, std::chrono::seconds(6), [&s] { return s.active == 0; });
    lock.unlock();
    ::close(s.wakeRead);
    ::close(s.wakeWrite);
}

std::string PreviewServer::address(const std::string& fileName) const
{
    static const char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : fileName) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += digits[c >> 4];
            encoded += digits[c & 15];
        }
    }
    return "http://127.0.0.1:" + std::to_string(m_state->port) + "/" + m_state->prefix + "/" + encoded;
}

int PreviewServer::port() const { return m_state->port; }

const std::string& PreviewServer::prefix() const { return m_state->prefix; }

}  // namespace pictavo::platform
