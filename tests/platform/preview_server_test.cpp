#include "platform/preview_server.h"

#include "support/temp_dir.h"

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pictavo::platform {
namespace {

using testing::HasSubstr;
using testing::StartsWith;

// Sends one raw request and returns the whole answer.
std::string ask(int port, const std::string& request)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(s);
        return "<no connection>";
    }
    ::send(s, request.data(), request.size(), 0);
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = ::recv(s, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, static_cast<std::size_t>(n));
    ::close(s);
    return answer;
}

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
        return ask(server.port(), method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
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
        EXPECT_THAT(ask(port, "GET / HTTP/1.1\r\n\r\n"), StartsWith("HTTP/1.1 404"));
    }
    EXPECT_EQ(ask(port, "GET / HTTP/1.1\r\n\r\n"), "<no connection>");
}

}  // namespace
}  // namespace pictavo::platform
