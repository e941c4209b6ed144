#pragma once

#include <stdexcept>
#include <string>

namespace pictavo::platform {

// The one exception type of the program. Its what() is the exact sentence the
// user reads; it is thrown where a fault is found and caught only where shown.
class UserError : public std::runtime_error {
public:
    explicit UserError(const std::string& message) : std::runtime_error(message) {}
};

// The message for a failed system call, in the runtime's words: "File not
// found", "File access denied", "Disk full", "Invalid filename" or "I/O error %d".
std::string ioErrorMessage(int errorNumber);

[[noreturn]] void throwIoError(int errorNumber);

}  // namespace pictavo::platform
