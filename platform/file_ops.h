#pragma once

#include <filesystem>

namespace pictavo::platform {

// A path holding a NUL byte names no file: the system would see only the
// part before it.
bool holdsNul(const std::filesystem::path& path);

// True for a regular file (after following links): a folder, a FIFO or a
// device is no file here.
bool fileExists(const std::filesystem::path& path);
bool folderExists(const std::filesystem::path& path);

// Whether both paths name one existing file (the same device and inode).
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Copies a regular file, replacing the target, and throws a UserError naming
// the file that failed (the source when it cannot be read). An existing
// target is left as it was on failure, and also when it already holds the
// same bytes: the result is the same, and it keeps its time, so tools that
// upload changed files skip it.
void copyFile(const std::filesystem::path& from, const std::filesystem::path& to);

// The silent copy, deletion and folder removal of the product's staging:
// false (or nothing) when anything failed.
bool copyFileOverwriting(const std::filesystem::path& from, const std::filesystem::path& to);

void deleteFile(const std::filesystem::path& path);

// Removes the folder only when it is empty.
void removeFolderIfEmpty(const std::filesystem::path& path);

}  // namespace pictavo::platform
