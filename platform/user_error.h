#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace pictavo::platform {

// The one exception type of the program. Its what() is the exact sentence the
// user reads; it is thrown where a fault is found and caught only where shown.
// A NUL byte in the message is written as "\0", so that it cannot cut the
// C string that what() gives short.
class UserError : public std::runtime_error {
public:
    explicit UserError(const std::string& message);
};

// The message for a failed system call, in the runtime's words: "File not
// found", "File access denied", "Disk full", "Invalid filename" or "I/O error %d".
std::string ioErrorMessage(int errorNumber);

// The same words followed by the file or folder concerned:
// Disk full: "/home/ann/site/p0_t.jpg"
std::string ioErrorMessage(int errorNumber, const std::filesystem::path& path);

[[noreturn]] void throwIoError(int errorNumber, const std::filesystem::path& path);

// A path as it appears in messages: in double quotes.
std::string quoted(const std::filesystem::path& path);

}  // namespace pictavo::platform
