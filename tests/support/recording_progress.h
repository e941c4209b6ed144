#pragma once

#include "model/progress.h"

#include <string>
#include <vector>

namespace pictavo::test {

// Keeps every progress call as one line of text, and the state they leave.
class RecordingProgress : public model::ProgressReporter {
public:
    void setHint(const std::string& text) override
    {
        hint = text;
        calls.push_back("hint " + text);
    }
    void setBusy(bool on) override
    {
        busy = on;
        calls.push_back(on ? "busy on" : "busy off");
    }
    void setMaximum(int value) override
    {
        maximum = value;
        calls.push_back("maximum " + std::to_string(value));
    }
    void advance(int by) override
    {
        position += by;
        steps += by;
    }
    void resetPosition() override
    {
        position = 0;
        calls.push_back("reset");
    }
    void warning(const std::string& text) override { warnings.push_back(text); }

    std::vector<std::string> calls;
    std::vector<std::string> warnings;
    std::string hint;
    bool busy = false;
    int maximum = 0;
    int position = 0;
    int steps = 0;  // all advances, including those a reset took back
};

}  // namespace pictavo::test
