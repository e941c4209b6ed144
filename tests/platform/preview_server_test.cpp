#include "platform/preview_server.h"

#include "support/temp_dir.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pictavo::platform {
namespace {

using testing::HasSubstr;
using testing::StartsWith;

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A connected socket, or -1.
int connectTo(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(port);
    if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

// Everything the server sends until it ends the connection.
std::string readAll(int s)
{
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = ::recv(s, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, static_cast<std::size_t>(n));
    return answer;
}

// Sends one raw request and returns the whole answer.
std::string ask(int port, const std::string& request)
{
    const int s = connectTo(port);
    if (s < 0)
        return "<no connection>";
    ::send(s, request.data(), request.size(), MSG_NOSIGNAL);
    const std::string answer = readAll(s);
    ::close(s);
    return answer;
}

std::string request(int port, const std::string& target, const std::string& method = "GET")
{
    return method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
}

std::size_t entriesOf(const char* folder)
{
    const std::filesystem::directory_iterator entries(folder);
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

// Clients that send a byte of a request head every few milliseconds and
// never end it.
class SlowClients {
public:
    SlowClients(int port, int count)
    {
        for (int i = 0; i < count; ++i) {
            m_sockets.push_back(connectTo(port));
            ::send(m_sockets.back(), "G", 1, MSG_NOSIGNAL);
        }
        m_dripper = std::thread([this] {
            while (!m_stop) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                for (int s : m_sockets)
                    ::send(s, "x", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            }
        });
    }
    ~SlowClients()
    {
        m_stop = true;
        m_dripper.join();
        for (int s : m_sockets)
            ::close(s);
    }
    SlowClients(const SlowClients&) = delete;
    SlowClients& operator=(const SlowClients&) = delete;

    const std::vector<int>& sockets() const { return m_sockets; }

private:
    std::vector<int> m_sockets;
    std::atomic<bool> m_stop{false};
    std::thread m_dripper;
};

class PreviewServerTest : public testing::Test {
protected:
    PreviewServerTest()
    {
        test::writeBytes(folder / "~preview.html", "<html>page</html>");
        test::writeBytes(folder / "gallery1config.xml", "<tvimagegallery/>");
        test::writeBytes(folder / "p0_t.jpg", "jpeg");
        test::writeBytes(folder / "p 1.gif", "gif");
        test::writeBytes(folder / ".hidden", "secret");
        std::filesystem::create_directory(folder / "sub");
        test::writeBytes(folder / "sub" / "inner.html", "inner");
        test::writeBytes(outside / "secret.txt", "outside");
        std::filesystem::create_symlink(outside / "secret.txt", folder / "link.txt");
    }

    std::string get(const std::string& target, const std::string& method = "GET")
    {
        return ask(server.port(), request(server.port(), target, method));
    }

    test::TempDir folder;
    test::TempDir outside;
    PreviewServer server{folder.path()};
};

TEST_F(PreviewServerTest, ServesTheFolderFlatFilesWithTheirTypes)
{
    const std::string root = "/" + server.prefix() + "/";
    EXPECT_EQ(server.address("~preview.html"),
              "http://127.0.0.1:" + std::to_string(server.port()) + root + "~preview.html");
    EXPECT_EQ(server.address("p 1.gif"), "http://127.0.0.1:" + std::to_string(server.port()) + root + "p%201.gif");
    EXPECT_EQ(server.prefix().size(), 32u);

    const std::string page = get(root + "~preview.html");
    EXPECT_THAT(page, StartsWith("HTTP/1.1 200 OK\r\n"));
    EXPECT_THAT(page, HasSubstr("Content-Type: text/html\r\n"));
    EXPECT_THAT(page, HasSubstr("Content-Length: 17\r\n"));
    EXPECT_THAT(page, testing::EndsWith("\r\n\r\n<html>page</html>"));
    EXPECT_THAT(get(root + "gallery1config.xml?nocache=1"), HasSubstr("Content-Type: application/xml\r\n"));
    EXPECT_THAT(get(root + "p0_t.jpg"), HasSubstr("Content-Type: image/jpeg\r\n"));
    EXPECT_THAT(get(root + "p%201.gif"), HasSubstr("\r\n\r\ngif"));

    std::string large;
    for (int i = 0; large.size() < (1 << 20) + 7; ++i)
        large += std::to_string(i) + ",";
    test::writeBytes(folder / "large.bin", large);
    EXPECT_THAT(get(root + "large.bin"), testing::EndsWith("\r\n\r\n" + large));

    const std::string head = get(root + "p0_t.jpg", "HEAD");
    EXPECT_THAT(head, HasSubstr("Content-Length: 4\r\n"));
    EXPECT_THAT(head, testing::EndsWith("\r\n\r\n"));
}

TEST_F(PreviewServerTest, RefusesEverythingElse)
{
    const std::string root = "/" + server.prefix() + "/";
    struct Case {
        std::string target;
        const char* status;
    };
    const Case cases[] = {
        {"/~preview.html", "404"},
        {"/" + server.prefix().substr(1) + "/~preview.html", "404"},
        {root, "404"},
        {root + "sub", "404"},
        {root + "sub/inner.html", "404"},
        {root + "sub%2Finner.html", "404"},
        {root + "sub%5Cinner.html", "404"},
        {root + "..", "404"},
        {root + "%2e%2e", "404"},
        {root + "../" + server.prefix() + "/~preview.html", "404"},
        {root + "%2E%2E%2F" + "secret.txt", "404"},
        {root + "%2Fetc%2Fpasswd", "404"},
        {root + "/etc/passwd", "404"},
        {root + ".hidden", "404"},
        {root + "link.txt", "404"},
        {root + "missing.jpg", "404"},
        {root + "p0_t.jpg%00.html", "404"},
        {root + "%zz", "400"},
        {root + "%4", "400"},
        {"http://127.0.0.1" + root + "p0_t.jpg", "404"},
    };
    for (const Case& c : cases)
        EXPECT_THAT(get(c.target), StartsWith(std::string("HTTP/1.1 ") + c.status)) << c.target;

    for (const char* method : {"POST", "PUT", "DELETE", "OPTIONS"}) {
        const std::string answer = get(root + "p0_t.jpg", method);
        EXPECT_THAT(answer, StartsWith("HTTP/1.1 405"));
        EXPECT_THAT(answer, HasSubstr("Allow: GET, HEAD\r\n"));
    }
    EXPECT_THAT(ask(server.port(), "garbage\r\n\r\n"), StartsWith("HTTP/1.1 400"));
    EXPECT_THAT(ask(server.port(), std::string(20000, 'A')), StartsWith("HTTP/1.1 431"));
    EXPECT_THAT(get(root + "p0_t.jpg"), StartsWith("HTTP/1.1 200"));  // still serving
}

TEST(PreviewServer, StopsListeningWhenDestroyed)
{
    test::TempDir folder;
    int port = 0;
    {
        PreviewServer server(folder.path());
        port = server.port();
        EXPECT_THAT(ask(port, request(port, "/")), StartsWith("HTTP/1.1 404"));
    }
    EXPECT_EQ(ask(port, request(port, "/")), "<no connection>");
}

TEST_F(PreviewServerTest, AnswersOnlyRequestsNamingItself)
{
    const std::string port = std::to_string(server.port());
    struct Case {
        std::string headers;
        const char* status;
    };
    // A page from another site whose name resolves to this machine sends its
    // own name: it must not read the preview.
    const Case cases[] = {
        {"Host: 127.0.0.1:" + port + "\r\n", "200"},
        {"Host: localhost:" + port + "\r\n", "200"},
        {"host:\tLocalHost:" + port + "  \r\n", "200"},
        {"User-Agent: test\r\nHOST: 127.0.0.1:" + port + "\r\nAccept: */*\r\n", "200"},
        {"Host: evil.example:" + port + "\r\n", "421"},
        {"Host: 127.0.0.1:" + port + ".evil.example\r\n", "421"},
        {"Host: localhost.evil.example:" + port + "\r\n", "421"},
        {"Host: 127.0.0.1\r\n", "421"},
        {"Host: localhost\r\n", "421"},
        {"Host: 127.0.0.1:" + std::to_string(server.port() % 60000 + 1) + "\r\n", "421"},
        {"Host: [::1]:" + port + "\r\n", "421"},
        {"Host:\r\n", "421"},
        {"X-Host: 127.0.0.1:" + port + "\r\n", "400"},
        {"", "400"},
        {"Host: 127.0.0.1:" + port + "\r\nHost: evil.example\r\n", "400"},
    };
    const std::string target = "/" + server.prefix() + "/p0_t.jpg";
    for (const Case& c : cases)
        EXPECT_THAT(ask(server.port(), "GET " + target + " HTTP/1.1\r\n" + c.headers + "\r\n"),
                    StartsWith(std::string("HTTP/1.1 ") + c.status))
            << c.headers;
}

TEST(PreviewServer, SlowClientsAreCutOffWithoutShuttingOthersOut)
{
    test::TempDir folder;
    test::writeBytes(folder / "page.html", "page");
    PreviewServer server(folder.path(), {std::chrono::milliseconds(200)});
    SlowClients slow(server.port(), 40);

    ASSERT_THAT(ask(server.port(), request(server.port(), "/" + server.prefix() + "/page.html")),
                StartsWith("HTTP/1.1 200"));
    // The head's deadline is counted from the start: the bytes that keep
    // coming do not renew it.
    for (int s : slow.sockets())
        EXPECT_THAT(readAll(s), StartsWith("HTTP/1.1 408"));
}

TEST(PreviewServer, ConnectionsBeyondTheBoundAreAnsweredAtOnce)
{
    test::TempDir folder;
    test::writeBytes(folder / "page.html", "page");
    // Heads that take all the test's time: the silent clients hold their places.
    PreviewServer server(folder.path(), {std::chrono::minutes(10)});
    const std::string get = request(server.port(), "/" + server.prefix() + "/page.html");
    std::vector<int> silent;
    for (int i = 0; i < PreviewServer::MaxConnections; ++i)
        silent.push_back(connectTo(server.port()));

    const std::string refused = ask(server.port(), get);
    EXPECT_THAT(refused, StartsWith("HTTP/1.1 503 Service Unavailable\r\n"));
    EXPECT_THAT(refused, HasSubstr("Retry-After: "));

    for (int s : silent)
        ::close(s);
    // The server sees them go one by one; until then it may still refuse.
    std::string answer;
    do
        answer = ask(server.port(), get);
    while (answer.rfind("HTTP/1.1 503", 0) == 0);
    EXPECT_THAT(answer, StartsWith("HTTP/1.1 200"));
}

TEST(PreviewServer, EveryOneOfABurstOfRequestsGetsAnAnswer)
{
    test::TempDir folder;
    test::writeBytes(folder / "page.html", "page");
    PreviewServer server(folder.path());
    const std::string get = request(server.port(), "/" + server.prefix() + "/page.html");
    const sockaddr_in address = loopback(server.port());

    struct Client {
        int socket;
        std::size_t sent = 0;
        std::string answer;
        bool ended = false;
    };
    std::vector<Client> clients;
    for (int i = 0; i < 500; ++i) {
        clients.push_back({::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0), 0, {}, false});
        ::connect(clients.back().socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    for (std::size_t left = clients.size(); left > 0;) {
        std::vector<pollfd> fds;
        std::vector<Client*> waiting;
        for (Client& c : clients) {
            if (c.ended)
                continue;
            fds.push_back({c.socket, static_cast<short>(c.sent < get.size() ? POLLOUT : POLLIN), 0});
            waiting.push_back(&c);
        }
        ASSERT_GT(::poll(fds.data(), fds.size(), -1), 0);
        for (std::size_t i = 0; i < fds.size(); ++i) {
            Client& c = *waiting[i];
            if (!fds[i].revents)
                continue;
            char buffer[256];
            ssize_t n = 0;
            if (c.sent < get.size()) {
                n = ::send(c.socket, get.data() + c.sent, get.size() - c.sent, MSG_NOSIGNAL);
                c.sent += n > 0 ? static_cast<std::size_t>(n) : 0;
            } else {
                n = ::recv(c.socket, buffer, sizeof buffer, 0);
                c.answer.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
            }
            if ((n < 0 && errno != EAGAIN) || (n == 0 && c.sent == get.size()) ||
                c.answer.find("\r\n") != std::string::npos) {
                c.ended = true;
                ::close(c.socket);
                --left;
            }
        }
    }
    std::map<std::string, int> statuses;
    for (const Client& c : clients)
        ++statuses[c.answer.substr(0, c.answer.find("\r\n"))];
    EXPECT_EQ(statuses["HTTP/1.1 200 OK"] + statuses["HTTP/1.1 503 Service Unavailable"], 500)
        << testing::PrintToString(statuses);
    EXPECT_GT(statuses["HTTP/1.1 200 OK"], 0);
}

TEST(PreviewServer, AClientThatStopsReadingIsCutOff)
{
    test::TempDir folder;
    test::writeBytes(folder / "big.bin", std::string(32 << 20, 'b'));
    PreviewServer server(folder.path(), {std::chrono::seconds(10), std::chrono::milliseconds(200)});
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int small = 4096;
    ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    const sockaddr_in address = loopback(server.port());
    ASSERT_EQ(::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const std::string get = request(server.port(), "/" + server.prefix() + "/big.bin");
    ::send(s, get.data(), get.size(), MSG_NOSIGNAL);

    // Waits, reading nothing, for the server to reset the connection.
    pollfd end{s, 0, 0};
    ASSERT_EQ(::poll(&end, 1, -1), 1);
    EXPECT_NE(end.revents & (POLLERR | POLLHUP), 0);
    ::close(s);
}

TEST(PreviewServer, AClientThatLeavesMidAnswerLeavesTheServerServing)
{
    test::TempDir folder;
    test::writeBytes(folder / "big.bin", std::string(32 << 20, 'b'));
    test::writeBytes(folder / "page.html", "page");
    PreviewServer server(folder.path());
    const int s = connectTo(server.port());
    const std::string get = request(server.port(), "/" + server.prefix() + "/big.bin");
    ::send(s, get.data(), get.size(), MSG_NOSIGNAL);
    char some[100];
    ASSERT_GT(::recv(s, some, sizeof some, 0), 0);
    // The server's next send meets a closed connection; the test program
    // itself would end on SIGPIPE if the server let that signal through.
    ::shutdown(s, SHUT_RDWR);
    ::close(s);
    EXPECT_THAT(ask(server.port(), request(server.port(), "/" + server.prefix() + "/page.html")),
                StartsWith("HTTP/1.1 200"));
}

TEST(PreviewServer, EndsEveryConnectionAndLeavesNothingBehind)
{
    const std::size_t descriptors = entriesOf("/proc/self/fd");
    const std::size_t threads = entriesOf("/proc/self/task");
    {
        test::TempDir folder;
        test::writeBytes(folder / "page.html", "page");
        auto server = std::make_unique<PreviewServer>(folder.path());
        const int port = server->port();
        SlowClients slow(port, 40);
        const std::string page = "/" + server->prefix() + "/page.html";
        EXPECT_THAT(ask(port, request(port, page)), StartsWith("HTTP/1.1 200"));

        server.reset();
        // Ended by the server, long before their heads' deadline.
        for (int s : slow.sockets())
            EXPECT_EQ(readAll(s), "");
        EXPECT_EQ(ask(port, request(port, "/")), "<no connection>");
    }
    EXPECT_EQ(entriesOf("/proc/self/fd"), descriptors);
    EXPECT_EQ(entriesOf("/proc/self/task"), threads);
}

}  // namespace
}  // namespace pictavo::platform
