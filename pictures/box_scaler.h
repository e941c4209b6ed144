#pragma once

#include "pictures/image.h"

#include <cstdint>
#include <vector>

namespace pictavo::pictures {

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

// The columns and rows of a source picture that a decoder keeps, each
// ascending without repeats: the kept picture's pixel (i, j) is the source's
// pixel (columns[i], rows[j]). A box takes a few hundred of each, however
// large the original says it is.
struct PixelSelection {
    std::vector<int> columns;
    std::vector<int> rows;
};

// Every pixel of a picture of width x height.
PixelSelection wholePicture(int width, int height);

// The source columns and rows that any of the mappings takes pixels from.
PixelSelection selectionOf(const std::vector<BoxMapping>& mappings);

// The mapping onto the kept picture: the same source pixels, found where the
// selection put them. Every column and row of the mapping is in the selection.
BoxMapping ontoSelection(const BoxMapping& mapping, const PixelSelection& selection);

// Where value stands in the ascending indices, or -1 when it is not among them.
int positionIn(const std::vector<int>& ascending, std::int64_t value);

}  // namespace pictavo::pictures
