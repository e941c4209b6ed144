#pragma once

#include "model/applet_agent.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace pictavo::gallery {

// Writes the HTML page that embeds the player and carries the blocks a
// designer copies into their own pages. The page lies beside the player
// files, the configuration and the pictures, which it names relatively.
void WriteEmbeddingPage(const model::TAppletAgent& agent, const std::filesystem::path& pagePath);

// The page declares no encoding, so the helpers below write it in ASCII and
// give every other character as a reference or an escape: browsers read it
// the same whatever encoding they assume. The values are project text.

// A value as it may stand inside a double-quoted HTML attribute: & < > " as
// entities, control characters and characters beyond ASCII as character
// references; any other text is returned unchanged.
std::string htmlAttribute(std::string_view text);

// A value as it may stand inside a double-quoted JavaScript string within a
// script element: \ " ' escaped with a backslash, < > and control characters
// as \xHH, characters beyond ASCII as \uXXXX (a surrogate pair beyond
// U+FFFF); any other text is returned unchanged.
std::string javaScriptString(std::string_view text);

// A file name as it stands in a relative URL: each byte but the unreserved
// characters of RFC 3986 (A-Z a-z 0-9 - . _ ~) percent-encoded.
std::string urlPathSegment(std::string_view fileName);

}  // namespace pictavo::gallery
