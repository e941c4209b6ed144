#pragma once

#include "model/applet_agent.h"

#include <filesystem>
#include <string>

namespace pictavo::build {

// The gallery name with every blank removed: names the configuration file and
// the page's elements.
std::string GalleryId(const model::TAppletData& applet);

// GalleryId followed by "config.xml".
std::string ConfigFileName(const model::TAppletData& applet);

// Writes the player's XML configuration as folder / ConfigFileName from the
// agent's records and returns the file's path. The folder must exist.
std::filesystem::path WriteFlashConfig(const model::TAppletAgent& agent,
                                       const std::filesystem::path& folder);

}  // namespace pictavo::build
