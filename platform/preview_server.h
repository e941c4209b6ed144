#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace pictavo::platform {

// A small static web server for the preview: a page opened from disk cannot
// read its configuration in current browsers. It listens on 127.0.0.1 on an
// ephemeral port, answers GET and HEAD for the flat files of one folder under
// a random path prefix, and refuses everything else: other methods, other
// prefixes, folders, hidden files, links, and any name that would leave the
// folder ("..", separators, encoded or not).
class PreviewServer {
public:
    // Binds and starts serving on a thread of its own; throws a UserError
    // when no socket can be had.
    explicit PreviewServer(std::filesystem::path folder);
    ~PreviewServer();
    PreviewServer(const PreviewServer&) = delete;
    PreviewServer& operator=(const PreviewServer&) = delete;

    // http://127.0.0.1:<port>/<prefix>/<file name, percent-encoded>
    std::string address(const std::string& fileName) const;
    int port() const;
    const std::string& prefix() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

}  // namespace pictavo::platform
