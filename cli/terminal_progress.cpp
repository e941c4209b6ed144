#include "cli/terminal_progress.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace pictavo::cli {

std::string terminalSafe(std::string_view text)
{
    std::string safe;
    safe.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            safe += escaped;
        } else {
            safe += c;
        }
    }
    return safe;
}

TerminalProgress::TerminalProgress() : m_terminal(::isatty(STDERR_FILENO) == 1) {}

TerminalProgress::~TerminalProgress()
{
    if (m_drawn)
        std::fputs("\r\033[K", stderr);
}

void TerminalProgress::setHint(const std::string& text)
{
    m_hint = text;
    draw();
}

void TerminalProgress::setMaximum(int maximum)
{
    m_maximum = maximum;
    draw();
}

void TerminalProgress::advance(int by)
{
    m_position += by;
    draw();
}

void TerminalProgress::resetPosition()
{
    m_position = 0;
    draw();
}

void TerminalProgress::warning(const std::string& text)
{
    if (m_drawn)
        std::fputs("\r\033[K", stderr);
    std::fprintf(stderr, "pictavo-cli: warning: %s\n", terminalSafe(text).c_str());
    m_drawn = false;
    draw();
}

void TerminalProgress::draw()
{
    if (!m_terminal)
        return;
    if (m_hint.empty()) {
        if (m_drawn)
            std::fputs("\r\033[K", stderr);
        m_drawn = false;
        return;
    }
    const int percent = m_maximum > 0 ? std::min(100, 100 * m_position / m_maximum) : 0;
    std::fprintf(stderr, "\r\033[K%s %3d%%", m_hint.c_str(), percent);
    std::fflush(stderr);
    m_drawn = true;
}

}  // namespace pictavo::cli
