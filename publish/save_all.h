#pragma once

#include "model/applet_agent.h"
#include "model/outline.h"
#include "model/progress.h"

#include <filesystem>
#include <string>

namespace pictavo::publish {

// The base name of a chosen file name: without its extension, every
// occurrence of which is removed regardless of case ("Summer.Html.html" gives
// "Summer"); a name without a dot stays as it is.
std::string BaseName(const std::string& chosenName);

// Saves the project as folder / base name + ".tvgallery1" and publishes the
// whole gallery beside it: page, player files, configuration, pictures and
// readme. Copies fail silently; anything else that fails throws.
void SaveAllRequiredFiles(model::TAppletAgent& agent, model::Outline& outline, const std::filesystem::path& folder,
                          const std::string& chosenName, model::ProgressReporter& progress);

}  // namespace pictavo::publish
