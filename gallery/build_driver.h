#pragma once

#include "model/applet_agent.h"
#include "model/outline.h"
#include "model/progress.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace pictavo::gallery {

// Turns the project into a working gallery: the pictures and the
// configuration go into the Preview folder, the page to pagePath. Sets the
// items' picture names, levels and links and the configuration's file name
// in the project. Finishes or throws; what was written before a failure stays.
void BuildGallery(model::TAppletAgent& agent, model::Outline& outline, const std::filesystem::path& pagePath,
                  model::ProgressReporter& progress);

// Sets every item's Level from its outline node and, when both path prefixes
// are filled in, rewrites its link to the chosen prefix.
void PrepareItemLinks(model::TAppletAgent& agent, const model::Outline& outline);

// Replaces, without regard to letter case and left to right, every occurrence
// of `from` in the link by `to` as stored, except occurrences that lie inside
// an occurrence of `to`: so a prefix that also occurs inside the other one
// does not make the link grow on every build.
std::string replacePrefix(std::string_view link, std::string_view from, std::string_view to);

}  // namespace pictavo::gallery
