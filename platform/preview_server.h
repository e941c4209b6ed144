#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

namespace pictavo::platform {

// How long one connection may take before the server cuts it off. The
// defaults suit a browser on this machine; tests shorten them.
struct PreviewDeadlines {
    // To send the whole request head, counted from the connection's start:
    // a client that sends a byte now and then does not renew it.
    std::chrono::milliseconds head{10000};
    // To take in the whole answer, counted from the end of the head.
    std::chrono::milliseconds answer{60000};
};

// A small static web server for the preview: a page opened from disk cannot
// read its configuration in current browsers. It listens on 127.0.0.1 on an
// ephemeral port, answers GET and HEAD for the flat files of one folder under
// a random path prefix, and refuses everything else: other methods, other
// prefixes, folders, hidden files, links, and any name that would leave the
// folder ("..", separators, encoded or not).
//
// The Host header must name this server, 127.0.0.1:<port> or
// localhost:<port>, so that a page whose own name resolves to this machine
// cannot read the preview: another host gets "421 Misdirected Request", a
// request without Host or with two gets "400 Bad Request".
//
// One thread serves every connection without blocking on any of them, so a
// slow client holds nothing but its own connection until its deadline: a head
// not complete in time gets "408 Request Timeout", an answer not taken in
// time is cut off. Beyond MaxConnections the next connection is answered
// "503 Service Unavailable" at once; every answer ends the connection.
class PreviewServer {
public:
    static constexpr int MaxConnections = 128;

    // Binds and starts serving on a thread of its own; throws a UserError
    // when no socket can be had.
    explicit PreviewServer(std::filesystem::path folder, PreviewDeadlines deadlines = {});
    // Closes every connection at once, whatever state it is in.
    ~PreviewServer();
    PreviewServer(const PreviewServer&) = delete;
    PreviewServer& operator=(const PreviewServer&) = delete;

    // http://127.0.0.1:<port>/<prefix>/<file name, percent-encoded>
    std::string address(const std::string& fileName) const;
    int port() const;
    const std::string& prefix() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace pictavo::platform
