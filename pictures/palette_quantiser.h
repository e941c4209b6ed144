#pragma once

#include "pictures/image.h"

#include <cstdint>
#include <vector>

namespace pictavo::pictures {

struct IndexedImage {
    std::vector<Rgb> palette;  // at most 256 colours
    std::vector<std::uint8_t> indices;  // one a pixel, rows top to bottom
};

// Reduces a picture to a palette of its own colours: a picture of 256 colours
// or fewer keeps exactly its colours; a richer one gets a median-cut palette.
// Each pixel takes the nearest palette colour, without dithering. The result
// depends only on the picture.
IndexedImage quantise(const Image& image);

}  // namespace pictavo::pictures
