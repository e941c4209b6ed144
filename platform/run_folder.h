#pragma once

#include <filesystem>
#include <string_view>

namespace pictavo::platform {

// This run's folder below dataFolder/Runs/, begun on first use for that data
// folder (a run that moves to another data folder ends its first one). Throws
// a UserError with failureMessage when it cannot be made.
std::filesystem::path runFolderFor(const std::filesystem::path& dataFolder, std::string_view failureMessage);

// Removes the run folders below runsFolder whose runs have ended: unlocked,
// and for a kept one, older than a day (or any kept one, when a newer
// preview is kept in its place).
enum class KeptRuns { StayADay, Go };
void removeEndedRuns(const std::filesystem::path& runsFolder, KeptRuns kept = KeptRuns::StayADay);

}  // namespace pictavo::platform
