#pragma once

#include <filesystem>
#include <string_view>

namespace pictavo::platform {

// This run's folder below dataFolder/Runs/, begun on first use for that data
// folder (a run that moves to another data folder ends its first one). Throws
// a UserError with failureMessage when it cannot be made.
std::filesystem::path runFolderFor(const std::filesystem::path& dataFolder, std::string_view failureMessage);

// Removes the run folders below runsFolder whose runs have ended: unlocked,
// and for a kept one, older than a day.
void removeEndedRuns(const std::filesystem::path& runsFolder);

}  // namespace pictavo::platform
