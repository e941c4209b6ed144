#pragma once

#include "model/applet_agent.h"
#include "model/progress.h"

#include <filesystem>

namespace pictavo::gallery {

// Copies the file into the Preview folder (unless it already lies there) and
// records its bare name in WorkingFiles, in every case. A missing file is
// skipped silently; a copy that fails throws.
void StageFile(model::TAppletAgent& agent, const std::filesystem::path& file);

// Stages every required player file from the source folder; generated ones
// (the configuration) are moved rather than copied.
void StageRequiredFiles(model::TAppletAgent& agent, const std::filesystem::path& sourceFolder);

// The program ships no resource files: this only reports its progress steps.
void StageResourceFiles(const std::filesystem::path& sourceFolder, model::ProgressReporter& progress);

// Deletes every staged file, forgets them and removes the Preview folder when
// nothing else is left in it.
void ClearPreviewFolder(model::TAppletAgent& agent);

}  // namespace pictavo::gallery
