#pragma once

#include <string>
#include <vector>

namespace pictavo::test {

struct ProgramResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    long peakKiB = 0;  // the program's peak resident memory
};

// Runs a program with the test's environment and collects what it printed.
ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args);

}  // namespace pictavo::test
