#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pictavo::platform {

// The per-user folders and the program's folder. Every call walks the whole
// way again: nothing is cached, so a removed folder is made again on next
// use. Folder paths end in the separator, except the pictures folder.

enum class SpecialFolder {
    ApplicationData,  // $XDG_DATA_HOME, else ~/.local/share
    Documents,        // XDG_DOCUMENTS_DIR, else ~/Documents when it exists, else ~
    Pictures,         // XDG_PICTURES_DIR, else ~/Pictures when it exists, else ~
};

inline constexpr std::string_view NoApplicationDataMessage =
    "Failed to retrieve application data path! Please contact vendor for help! Thank you!";
inline constexpr std::string_view NoDocumentsMessage =
    "Failed to retrieve my documents path! Please contact vendor for help! Thank you!";
inline constexpr std::string_view DataFolderMessage =
    "Failed to create data folder at application data path! Please contact vendor for help! Thank you!";
inline constexpr std::string_view PreviewFolderMessage =
    "Failed to create preview folder at application data path! Please contact vendor for help! Thank you!";
inline constexpr std::string_view TempFolderMessage =
    "Failed to create temp folder at application data path! Please contact vendor for help! Thank you!";

// The folder without a trailing separator; empty when there is none.
std::string GetSpecialFolderPath(SpecialFolder folder);

// Appends "/" unless the path already ends in one; "" becomes "/".
void ensureTrailingSeparator(std::string& path);

std::filesystem::path GetDataFolder();

// Each running program (an editor window, a pictavo-cli run) stages its
// files in a folder of its own, Runs/<id>/ in the data folder, so that two
// runs never see each other's pictures. The folder is locked (flock) for the
// run's life and removed when the run ends; the start of a run removes the
// folders whose lock is free, left by runs that died. The run begins on the
// first call for the data folder of the moment.
std::filesystem::path GetRunFolder();
// This run's Preview and Temp folders, inside its run folder.
std::filesystem::path GetPreviewFolder();
std::filesystem::path GetTempFolder();
// The run's folder stays when the run ends (a preview built to be looked at
// afterwards); a later start removes it once it is a day old.
void KeepRunFolder();
// The Temp folder that every run shares: the recent-files list lives here.
std::filesystem::path GetSharedTempFolder();
std::filesystem::path GetProjectsFolder();
std::filesystem::path GetPicturesFolder();
// The running executable's folder when the player files lie there (a build
// tree), otherwise <prefix>/share/pictavo/ beside its <prefix>/bin/.
std::filesystem::path GetProgramFolder();

}  // namespace pictavo::platform
