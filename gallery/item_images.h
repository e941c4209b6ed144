#pragma once

#include "model/applet_agent.h"
#include "model/outline.h"
#include "model/progress.h"

#include <string_view>

namespace pictavo::gallery {

inline constexpr std::string_view MissingOriginalCaption = "Warning: Original image not found.";

// How many threads make pictures ahead of the passes: PICTAVO_WORKERS
// (0 to 16), else 2.
int pictureWorkers();

// Makes every item's thumbnail, then every item's large picture, each written
// into the Temp folder, staged into the Preview folder and deleted again.
// Sets the items' picture names and the captions of their outline nodes; an
// item whose original is missing keeps its names and shows the warning.
void ProcessItemImages(model::TAppletAgent& agent, model::Outline& outline, model::ProgressReporter& progress);

}  // namespace pictavo::gallery
