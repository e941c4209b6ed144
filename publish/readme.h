#pragma once

#include "model/applet_agent.h"
#include "model/progress.h"

#include <filesystem>
#include <string>

namespace pictavo::publish {

// Writes the integration readme, folder / fileName: the required files, the
// pictures (thumbnails first, each name once) and how to use them.
void WriteReadme(const model::TAppletAgent& agent, const std::filesystem::path& folder, const std::string& fileName,
                 model::ProgressReporter& progress);

}  // namespace pictavo::publish
