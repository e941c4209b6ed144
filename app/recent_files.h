#pragma once

#include <array>
#include <filesystem>
#include <string>

// The recent-files list: "recentfile.dat" in the Temp folder, at most four
// lines "&<slot> <file name>", newest first.
using RecentSlots = std::array<std::string, 4>;

std::filesystem::path recentFilesPath();

// The first four lines as stored (an empty line is an empty slot); creates
// an empty list when there is none.
RecentSlots readRecentSlots();

// Puts the name in front unless it is already listed (compared exactly),
// dropping the oldest of four.
void addRecentFile(const std::string& name);
