#pragma once

#include "model/applet_agent.h"

#include <filesystem>
#include <string>

namespace pictavo::gallery {

// The gallery name with every blank removed: names the configuration file and
// the page's elements.
std::string GalleryId(const model::TAppletData& applet);

// GalleryId followed by "config.xml".
std::string ConfigFileName(const model::TAppletData& applet);

// A picture as the player's files name it: behind the leading image path when
// that is enabled with exactly "1" (plain concatenation), else bare.
std::string imageReference(const model::TAppletData& applet, const std::string& name);

// Writes the player's XML configuration as folder / ConfigFileName from the
// agent's records and returns the file's path. The folder must exist.
std::filesystem::path WriteFlashConfig(const model::TAppletAgent& agent,
                                       const std::filesystem::path& folder);

}  // namespace pictavo::gallery
