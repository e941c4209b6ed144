#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pictavo::platform {

// The whole content of a file; a failure throws a UserError with the
// runtime's message ("File not found", "File access denied", ...).
std::string readWholeFile(const std::filesystem::path& path);

// Splits text into lines. A line ends at CR, at LF or at CR LF; a last line
// without a line end still counts, an empty text has no lines.
std::vector<std::string> splitLines(std::string_view text);

}  // namespace pictavo::platform
