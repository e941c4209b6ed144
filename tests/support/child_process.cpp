#include "support/child_process.h"

#include <cerrno>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pictavo::test {

namespace {

void writeAll(int fd, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            ::_exit(3);
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

std::optional<std::string> runInChild(const std::function<std::string()>& work, std::chrono::seconds timeout,
                                      std::size_t addressSpace)
{
    int channel[2];
    if (::pipe(channel) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::close(channel[0]);
        if (addressSpace) {
            const rlimit limit{addressSpace, addressSpace};
            if (::setrlimit(RLIMIT_AS, &limit) != 0)
                ::_exit(4);
        }
        try {
            writeAll(channel[1], work());
        } catch (...) {
            ::_exit(2);
        }
        // No destructors or exit handlers of the parent's state run here.
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool ended = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd ready{channel[0], POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            break;
        char buffer[4096];
        const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n <= 0) {
            ended = true;
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    if (!ended)
        ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}

}  // namespace pictavo::test
