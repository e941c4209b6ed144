#pragma once

#include "model/applet_agent.h"
#include "model/outline.h"
#include "model/progress.h"

#include <filesystem>
#include <string_view>

namespace pictavo::publish {

inline constexpr std::string_view NoItemToBuildMessage = "No item to build. Please add item to left pane and try again.";

// Builds the gallery into the Preview folder with its page "~preview.html"
// and the player files beside it, and returns the page's path there.
std::filesystem::path BuildPreview(model::TAppletAgent& agent, model::Outline& outline,
                                   model::ProgressReporter& progress);

}  // namespace pictavo::publish
