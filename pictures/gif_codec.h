#pragma once

#include "pictures/image.h"

#include <string>

namespace pictavo::pictures {

// A single still picture with the picture's own palette of at most 256
// colours, each pixel mapped to the nearest palette colour without dithering.
std::string encodeGif(const Image& image);

}  // namespace pictavo::pictures
