#pragma once

#include "build/image.h"

#include <cstdint>
#include <vector>

namespace pictavo::build {

// How an original of w x h pixels fills a box of W x H pixels: scaled by the
// box's orientation into an intermediate picture, centre-cropped where it
// overhangs and stretched where it falls short.
struct BoxGeometry {
    std::int64_t intermediateWidth = 0;
    std::int64_t intermediateHeight = 0;
    std::int64_t x0 = 0;
    std::int64_t y0 = 0;
};

BoxGeometry boxGeometry(int originalWidth, int originalHeight, int boxWidth, int boxHeight);

// The two nearest-pixel steps composed into one mapping: for each output
// column and row, the column and row of a source picture of the given size
// (the original, or the original decoded at a reduced scale that still covers
// the intermediate picture).
struct BoxMapping {
    std::vector<int> columns;
    std::vector<int> rows;
};

BoxMapping boxMapping(const BoxGeometry& geometry, int boxWidth, int boxHeight, int sourceWidth,
                      int sourceHeight);

// The output picture: each pixel taken from the source through the mapping.
Image applyMapping(const Image& source, const BoxMapping& mapping);

}  // namespace pictavo::build
