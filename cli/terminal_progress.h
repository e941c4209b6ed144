#pragma once

#include "model/progress.h"

#include <string>
#include <string_view>

namespace pictavo::cli {

// Text from a project or a file name as it may go to a terminal: control
// characters (an escape sequence would act on the terminal) are written as
// \xNN; everything else, UTF-8 included, stays.
std::string terminalSafe(std::string_view text);

// Shows the hint and a percentage on one line of standard error, and only
// when standard error is a terminal.
class TerminalProgress : public model::ProgressReporter {
public:
    TerminalProgress();
    ~TerminalProgress() override;
    void setHint(const std::string& text) override;
    void setBusy(bool) override {}
    void setMaximum(int maximum) override;
    void advance(int by) override;
    void resetPosition() override;
    // Always printed, terminal or not: "pictavo-cli: warning: <text>".
    void warning(const std::string& text) override;

private:
    void draw();

    bool m_terminal;
    std::string m_hint;
    int m_maximum = 100;
    int m_position = 0;
    bool m_drawn = false;
};

}  // namespace pictavo::cli
