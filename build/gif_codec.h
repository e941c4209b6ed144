#pragma once

#include "build/image.h"

#include <string>

namespace pictavo::build {

// A single still picture with the picture's own palette of at most 256
// colours, each pixel mapped to the nearest palette colour without dithering.
std::string encodeGif(const Image& image);

}  // namespace pictavo::build
