#pragma once

#include <filesystem>

namespace pictavo::platform {

// File primitives whose failures are silent, as copies, deletions and folder
// removals are throughout the product.

// True for a regular file (after following links): a folder, a FIFO or a
// device is no file here.
bool fileExists(const std::filesystem::path& path);
bool folderExists(const std::filesystem::path& path);

// Copies a regular file, replacing the target; false when anything failed,
// in which case an existing target is left as it was.
bool copyFileOverwriting(const std::filesystem::path& from, const std::filesystem::path& to);

void deleteFile(const std::filesystem::path& path);

// Removes the folder only when it is empty.
void removeFolderIfEmpty(const std::filesystem::path& path);

}  // namespace pictavo::platform
