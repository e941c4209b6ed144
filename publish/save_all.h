#pragma once

#include "model/applet_agent.h"
#include "model/outline.h"
#include "model/progress.h"
#include "platform/user_error.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pictavo::publish {

// The base name of a chosen file name: without its extension, every
// occurrence of which is removed regardless of case ("Summer.Html.html" gives
// "Summer"); a name without a dot stays as it is.
std::string BaseName(const std::string& chosenName);

// The project file a save under the chosen name writes: the chosen name
// itself when it ends in ".tvgallery1" in any letter case (on a file system
// that tells cases apart, "Trip.TVGALLERY1" and "Trip.tvgallery1" are two
// files, and the one chosen is the one to save), else the base name +
// ".tvgallery1" ("gallery.txt" gives "gallery.tvgallery1").
std::string ProjectFileName(const std::string& chosenName);

// The existing file that a save under a chosen name not ending in
// ".tvgallery1" would replace although another name was chosen
// ("holiday.bak" writes "holiday.tvgallery1"), unless it is `current`, the
// project's own file; nothing when there is none. The editor asks first, the
// command line wants --force.
std::optional<std::filesystem::path> ProjectFileReplacedUnasked(const std::filesystem::path& folder,
                                                                const std::string& chosenName,
                                                                const std::filesystem::path& current);

// What to do when the folder holds another project whose pictures or
// configuration this publish would replace.
enum class OtherGalleries { Refuse, Replace };

// Thrown before anything is written, naming the other project; the editor
// asks whether to publish anyway, the command line wants --force.
class SharedFolderError : public platform::UserError {
public:
    using platform::UserError::UserError;
};

// Saves the project as folder / ProjectFileName and publishes the
// whole gallery beside it: page, player files, configuration, pictures and
// readme. Only the pictures and the configuration that this build made are
// published. Before anything is written it refuses a publish that would
// overwrite one of the project's originals and, unless told to replace
// them, one that would replace another project's files in the folder.
// Every copy is checked, and at the end every file of the gallery must be
// there: the save finishes with the whole gallery published or throws.
// Originals that were not found, or were damaged, are reported as warnings.
void SaveAllRequiredFiles(model::TAppletAgent& agent, model::Outline& outline, const std::filesystem::path& folder,
                          const std::string& chosenName, model::ProgressReporter& progress,
                          OtherGalleries others = OtherGalleries::Refuse);

}  // namespace pictavo::publish
