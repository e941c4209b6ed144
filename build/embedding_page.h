#pragma once

#include "model/applet_agent.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace pictavo::build {

// Writes the HTML page that embeds the player and carries the blocks a
// designer copies into their own pages. The page lies beside the player
// files, the configuration and the pictures, which it names relatively.
void WriteEmbeddingPage(const model::TAppletAgent& agent, const std::filesystem::path& pagePath);

// A value as it may stand inside a double-quoted HTML attribute: & < > " as
// entities; any other text is returned unchanged.
std::string htmlAttribute(std::string_view text);

// A value as it may stand inside a double-quoted JavaScript string within a
// script element: \ " ' < > and control characters escaped; any other text
// is returned unchanged.
std::string javaScriptString(std::string_view text);

}  // namespace pictavo::build
