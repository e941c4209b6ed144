#include "platform/preview_server.h"

#include "platform/ascii.h"
#include "platform/user_error.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <list>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pictavo::platform {

namespace {

constexpr std::size_t MaxRequestBytes = 8192;

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

using Clock = std::chrono::steady_clock;

// An answer that says no more than its status.
std::string statusAnswer(const char* status, const char* extraHeaders = "")
{
    const std::string body = std::string(status) + "\n";
    return std::string("HTTP/1.1 ") + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n" + extraHeaders + "Connection: close\r\n\r\n" + body;
}

// The Host header's value, lower-cased; false when there is none or more
// than one.
bool hostOf(const std::string& head, std::string& host)
{
    bool found = false;
    for (std::size_t start = head.find("\r\n") + 2; start < head.size();) {
        const std::size_t end = head.find("\r\n", start);
        const std::string line = head.substr(start, end - start);
        start = end + 2;
        if (line.empty())
            break;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos || lowerCase(line.substr(0, colon)) != "host")
            continue;
        if (found)
            return false;
        found = true;
        const std::size_t first = line.find_first_not_of(" \t", colon + 1);
        const std::size_t last = line.find_last_not_of(" \t");
        host = first == std::string::npos ? "" : lowerCase(line.substr(first, last + 1 - first));
    }
    return found;
}

enum class Phase {
    Head,    // reading the request head
    Answer,  // sending the answer
    Drain,   // answer sent: reading what the client still sends until it closes
};

struct Connection {
    Connection(int socket, Clock::time_point deadline) : socket(socket), deadline(deadline) {}
    ~Connection()
    {
        if (file >= 0)
            ::close(file);
        ::close(socket);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int socket;
    Clock::time_point deadline;
    Phase phase = Phase::Head;
    bool refused = false;
    bool done = false;
    std::string head;
    std::string out;  // read for sending, not yet sent
    int file = -1;
    off_t fileLeft = 0;
};

// Time after an answer for the client to close first: closing a socket
// with unread bytes resets the connection, which can lose the answer.
constexpr std::chrono::seconds DrainTime{2};
// Connections answered 503 and still draining; beyond them new connections
// wait in the listen queue until one ends.
constexpr int MaxRefused = 128;
// How long to stop accepting when this process is out of descriptors.
constexpr std::chrono::milliseconds AcceptPause{100};

}  // namespace

struct PreviewServer::State {
    std::filesystem::path folder;
    std::string prefix;
    PreviewDeadlines deadlines;
    int listener = -1;
    int port = 0;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread thread;

    void serve();
    void step(Connection& c, Clock::time_point now) const;
    void expire(Connection& c, Clock::time_point now) const;
    void startAnswer(Connection& c, std::string out, Clock::time_point now) const;
    void respond(Connection& c, Clock::time_point now) const;
    void respondTo(Connection& c, const std::string& method, const std::string& target,
                   Clock::time_point now) const;
};

void PreviewServer::State::serve()
{
    std::list<Connection> connections;
    int served = 0;
    int refused = 0;
    Clock::time_point acceptPausedUntil;
    std::vector<pollfd> fds;
    for (;;) {
        const Clock::time_point now = Clock::now();
        const bool room = served < MaxConnections || refused < MaxRefused;
        const bool accepting = room && now >= acceptPausedUntil;
        // poll() skips an entry whose descriptor is negative.
        fds.assign({{wakeRead, POLLIN, 0}, {accepting ? listener : -1, POLLIN, 0}});
        Clock::time_point next = room && !accepting ? acceptPausedUntil : Clock::time_point::max();
        for (const Connection& c : connections) {
            fds.push_back({c.socket, static_cast<short>(c.phase == Phase::Answer ? POLLOUT : POLLIN), 0});
            next = std::min(next, c.deadline);
        }
        int timeout = -1;
        if (next != Clock::time_point::max()) {
            // Rounded up, so that the deadline has passed when poll() returns.
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
            timeout = static_cast<int>(std::clamp<decltype(wait)>(wait, 0, std::numeric_limits<int>::max()));
        }
        if (::poll(fds.data(), fds.size(), timeout) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents)
            return;
        const Clock::time_point after = Clock::now();
        std::size_t i = 2;
        for (auto it = connections.begin(); it != connections.end(); ++i) {
            if (fds[i].revents)
                step(*it, after);
            // Checked even when the connection had something to do: a client
            // that keeps sending must not keep its connection alive.
            if (!it->done && after >= it->deadline)
                expire(*it, after);
            if (!it->done) {
                ++it;
                continue;
            }
            if (it->refused)
                --refused;
            else
                --served;
            it = connections.erase(it);
        }
        while (fds[1].revents && (served < MaxConnections || refused < MaxRefused)) {
            const int socket = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (socket < 0) {
                if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                    acceptPausedUntil = after + AcceptPause;
                break;
            }
            Connection& c = connections.emplace_back(socket, after + deadlines.head);
            if (served < MaxConnections) {
                ++served;
                continue;
            }
            ++refused;
            c.refused = true;
            startAnswer(c, statusAnswer("503 Service Unavailable", "Retry-After: 1\r\n"), after);
        }
    }
}

// Does one read or one send of what the connection is ready for, so that
// a large answer to one client takes its turns with the others.
void PreviewServer::State::step(Connection& c, Clock::time_point now) const
{
    char chunk[4096];
    if (c.phase != Phase::Answer) {
        const ssize_t n = ::recv(c.socket, chunk, sizeof chunk, 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        if (n <= 0) {
            c.done = true;
            return;
        }
        if (c.phase == Phase::Drain)
            return;
        c.head.append(chunk, static_cast<std::size_t>(n));
        if (c.head.find("\r\n\r\n") != std::string::npos)
            respond(c, now);
        else if (c.head.size() > MaxRequestBytes)
            startAnswer(c, statusAnswer("431 Request Header Fields Too Large"), now);
        return;
    }
    if (c.out.empty() && c.fileLeft > 0) {
        char block[1 << 16];
        const auto wanted = static_cast<std::size_t>(std::min<off_t>(c.fileLeft, sizeof block));
        const ssize_t n = ::read(c.file, block, wanted);
        // A file that shrank cannot give the length already promised.
        if (n <= 0) {
            c.done = true;
            return;
        }
        c.out.assign(block, static_cast<std::size_t>(n));
        c.fileLeft -= n;
    }
    // send() rather than sendfile(), which has no MSG_NOSIGNAL: a client
    // that leaves mid-answer must not end the program with SIGPIPE.
    const ssize_t n = ::send(c.socket, c.out.data(), c.out.size(), MSG_NOSIGNAL);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    if (n <= 0) {
        c.done = true;
        return;
    }
    c.out.erase(0, static_cast<std::size_t>(n));
    if (!c.out.empty() || c.fileLeft > 0)
        return;
    if (c.file >= 0) {
        ::close(c.file);
        c.file = -1;
    }
    ::shutdown(c.socket, SHUT_WR);
    c.phase = Phase::Drain;
    c.deadline = now + DrainTime;
}

void PreviewServer::State::expire(Connection& c, Clock::time_point now) const
{
    if (c.phase == Phase::Head) {
        startAnswer(c, statusAnswer("408 Request Timeout"), now);
        return;
    }
    if (c.phase == Phase::Answer) {
        // A reset rather than a close: the kernel drops what the client did
        // not take instead of holding it for a client that stopped reading.
        const linger reset{1, 0};
        ::setsockopt(c.socket, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    c.done = true;
}

void PreviewServer::State::startAnswer(Connection& c, std::string out, Clock::time_point now) const
{
    c.phase = Phase::Answer;
    c.out = std::move(out);
    c.deadline = now + deadlines.answer;
}

void PreviewServer::State::respond(Connection& c, Clock::time_point now) const
{
    const std::size_t lineEnd = c.head.find("\r\n");
    const std::string line = c.head.substr(0, lineEnd);
    const std::size_t first = line.find(' ');
    const std::size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
    std::string host;
    if (second == std::string::npos || line.compare(second + 1, 5, "HTTP/") != 0 || !hostOf(c.head, host)) {
        startAnswer(c, statusAnswer("400 Bad Request"), now);
        return;
    }
    const std::string portPart = ":" + std::to_string(port);
    if (host != "127.0.0.1" + portPart && host != "localhost" + portPart) {
        startAnswer(c, statusAnswer("421 Misdirected Request"), now);
        return;
    }
    respondTo(c, line.substr(0, first), line.substr(first + 1, second - first - 1), now);
}

void PreviewServer::State::respondTo(Connection& c, const std::string& method, const std::string& target,
                                     Clock::time_point now) const
{
    if (method != "GET" && method != "HEAD") {
        startAnswer(c, statusAnswer("405 Method Not Allowed", "Allow: GET, HEAD\r\n"), now);
        return;
    }
    const std::string start = "/" + prefix + "/";
    if (target.compare(0, start.size(), start) != 0) {
        startAnswer(c, statusAnswer("404 Not Found"), now);
        return;
    }
    const std::string encoded = target.substr(start.size(), target.find_first_of("?#") - start.size());
    std::string name;
    if (!percentDecode(encoded, name)) {
        startAnswer(c, statusAnswer("400 Bad Request"), now);
        return;
    }
    // Only a plain name of the folder itself: no separators, no hidden files
    // (which also rules out "." and ".."), no NUL.
    if (name.empty() || name[0] == '.' || name.find_first_of(std::string("/\\\0", 3)) != std::string::npos) {
        startAnswer(c, statusAnswer("404 Not Found"), now);
        return;
    }
    const std::filesystem::path path = folder / name;
    const int file = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (file < 0 || ::fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (file >= 0)
            ::close(file);
        startAnswer(c, statusAnswer("404 Not Found"), now);
        return;
    }
    startAnswer(c,
                std::string("HTTP/1.1 200 OK\r\nContent-Type: ") + contentTypeOf(name) +
                    "\r\nContent-Length: " + std::to_string(info.st_size) +
                    "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n"
                    "Connection: close\r\n\r\n",
                now);
    if (method == "GET") {
        c.file = file;
        c.fileLeft = info.st_size;
    } else {
        ::close(file);
    }
}

PreviewServer::PreviewServer(std::filesystem::path folder, PreviewDeadlines deadlines)
    : m_state(std::make_unique<State>())
{
    State& s = *m_state;
    s.folder = std::move(folder);
    s.prefix = randomPrefix();
    s.deadlines = deadlines;
    s.listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int pipeEnds[2] = {-1, -1};
    // The longest listen queue the system allows: a burst of connections
    // waits there for an answer rather than being turned away unanswered.
    if (s.listener < 0 || ::bind(s.listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(s.listener, SOMAXCONN) != 0 ||
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
    s.thread = std::thread([&s] { s.serve(); });
}

PreviewServer::~PreviewServer()
{
    State& s = *m_state;
    const char wake = 1;
    [[maybe_unused]] const ssize_t written = ::write(s.wakeWrite, &wake, 1);
    s.thread.join();
    ::close(s.listener);
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
