#pragma once

#include <string>

namespace pictavo::model {

// What long operations report while they run: the hint line, the busy
// indication (hourglass), the progress maximum and position. Each front end
// implements it; NullProgress ignores everything.
class ProgressReporter {
public:
    virtual ~ProgressReporter() = default;
    // Empty text clears the hint.
    virtual void setHint(const std::string& text) = 0;
    virtual void setBusy(bool busy) = 0;
    virtual void setMaximum(int maximum) = 0;
    virtual void advance(int by) = 0;
    virtual void resetPosition() = 0;
    // Called now and then while an operation waits for work done on other
    // threads; a window repaints here.
    virtual void waiting() {}
    // Something the user should know although the operation goes on: an
    // original that was not found, a picture that was damaged. Called on the
    // operation's own thread, in item order.
    virtual void warning(const std::string& text) = 0;
};

class NullProgress : public ProgressReporter {
public:
    void setHint(const std::string&) override {}
    void setBusy(bool) override {}
    void setMaximum(int) override {}
    void advance(int) override {}
    void resetPosition() override {}
    void warning(const std::string&) override {}
};

}  // namespace pictavo::model

namespace pictavo::model {

// One long operation's report: shows the hint with the busy indication on
// construction and, however the operation ends, resets the position, clears
// the hint and switches the busy indication off.
class ProgressScope {
public:
    ProgressScope(ProgressReporter& progress, const std::string& hint) : m_progress(progress)
    {
        m_progress.setHint(hint);
        m_progress.setBusy(true);
    }
    ~ProgressScope()
    {
        m_progress.resetPosition();
        m_progress.setHint("");
        m_progress.setBusy(false);
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    ProgressReporter& m_progress;
};

}  // namespace pictavo::model
