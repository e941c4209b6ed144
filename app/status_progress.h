#pragma once

#include "model/progress.h"

#include <string>
#include <vector>

class QLabel;
class QProgressBar;

// Progress of the long operations on the main window: the hint line, the
// progress bar and the hourglass cursor. They paint at once, since the
// operations run on the window's thread without returning to its event loop.
class StatusProgress : public pictavo::model::ProgressReporter {
public:
    StatusProgress(QLabel* hint, QProgressBar* bar) : m_hint(hint), m_bar(bar) {}
    ~StatusProgress() override;

    void setHint(const std::string& text) override;
    void setBusy(bool busy) override;
    void setMaximum(int maximum) override;
    void advance(int by) override;
    void resetPosition() override;
    // Keeps the window painting while pictures are made on other threads;
    // input waits until the command is done.
    void waiting() override;
    // Kept until the command ends; the window then shows them.
    void warning(const std::string& text) override;
    std::vector<std::string> takeWarnings();

    // After a failed command: nothing stays busy-looking.
    void resetAll();

private:
    QLabel* m_hint;
    QProgressBar* m_bar;
    bool m_busy = false;
    std::vector<std::string> m_warnings;
};
