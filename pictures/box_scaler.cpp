#include "pictures/box_scaler.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>

namespace pictavo::pictures {

namespace {

// Round half to even, as the intermediate size and the offsets are defined:
// 479.5 gives 480, 12.5 gives 12.
std::int64_t roundHalfEven(double value) { return static_cast<std::int64_t>(std::nearbyint(value)); }

// Output index i of n maps onto the middle of its share of the first..first+span range.
std::vector<int> stretch(int n, std::int64_t first, std::int64_t span, std::int64_t intermediate, int source)
{
    std::vector<int> indices(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const std::int64_t inIntermediate = first + (2 * std::int64_t{i} + 1) * span / (2 * std::int64_t{n});
        const std::int64_t inSource = (2 * inIntermediate + 1) * source / (2 * intermediate);
        indices[static_cast<std::size_t>(i)] = static_cast<int>(std::clamp<std::int64_t>(inSource, 0, source - 1));
    }
    return indices;
}

}  // namespace

BoxGeometry boxGeometry(int w, int h, int W, int H)
{
    // The scale is held as a 32-bit float: 1000 / 133 then gives 500 / f =
    // 66.5000006, so the intermediate picture is 67 rows high, not 66.
    const float f = W < H ? static_cast<float>(h) / static_cast<float>(H)
                          : static_cast<float>(w) / static_cast<float>(W);
    BoxGeometry g;
    // An intermediate side that rounds to nothing keeps one pixel.
    g.intermediateWidth = std::max<std::int64_t>(1, roundHalfEven(w / static_cast<double>(f)));
    g.intermediateHeight = std::max<std::int64_t>(1, roundHalfEven(h / static_cast<double>(f)));
    g.x0 = g.intermediateWidth > W ? roundHalfEven((g.intermediateWidth - W) / 2.0) : 0;
    g.y0 = g.intermediateHeight > H ? roundHalfEven((g.intermediateHeight - H) / 2.0) : 0;
    return g;
}

BoxMapping boxMapping(const BoxGeometry& g, int W, int H, int sourceWidth, int sourceHeight)
{
    return BoxMapping{
        stretch(W, g.x0, g.intermediateWidth - 2 * g.x0, g.intermediateWidth, sourceWidth),
        stretch(H, g.y0, g.intermediateHeight - 2 * g.y0, g.intermediateHeight, sourceHeight),
    };
}

Image applyMapping(const Image& source, const BoxMapping& mapping)
{
    Image out(static_cast<int>(mapping.columns.size()), static_cast<int>(mapping.rows.size()));
    for (int y = 0; y < out.height; ++y) {
        const std::uint8_t* from = source.row(mapping.rows[static_cast<std::size_t>(y)]);
        std::uint8_t* to = out.row(y);
        for (int column : mapping.columns) {
            const std::uint8_t* p = from + static_cast<std::size_t>(column) * 3;
            *to++ = p[0];
            *to++ = p[1];
            *to++ = p[2];
        }
    }
    return out;
}

PixelSelection wholePicture(int width, int height)
{
    PixelSelection all;
    all.columns.resize(static_cast<std::size_t>(width));
    all.rows.resize(static_cast<std::size_t>(height));
    std::iota(all.columns.begin(), all.columns.end(), 0);
    std::iota(all.rows.begin(), all.rows.end(), 0);
    return all;
}

PixelSelection selectionOf(const std::vector<BoxMapping>& mappings)
{
    PixelSelection kept;
    for (const BoxMapping& mapping : mappings) {
        kept.columns.insert(kept.columns.end(), mapping.columns.begin(), mapping.columns.end());
        kept.rows.insert(kept.rows.end(), mapping.rows.begin(), mapping.rows.end());
    }
    for (std::vector<int>* indices : {&kept.columns, &kept.rows}) {
        std::sort(indices->begin(), indices->end());
        indices->erase(std::unique(indices->begin(), indices->end()), indices->end());
    }
    return kept;
}

BoxMapping ontoSelection(const BoxMapping& mapping, const PixelSelection& selection)
{
    BoxMapping onto;
    for (int column : mapping.columns)
        onto.columns.push_back(positionIn(selection.columns, column));
    for (int row : mapping.rows)
        onto.rows.push_back(positionIn(selection.rows, row));
    for (const std::vector<int>* indices : {&onto.columns, &onto.rows})
        if (std::find(indices->begin(), indices->end(), -1) != indices->end())
            throw std::logic_error("the mapping reaches a pixel the selection does not keep");
    return onto;
}

int positionIn(const std::vector<int>& ascending, std::int64_t value)
{
    const auto found = std::lower_bound(ascending.begin(), ascending.end(), value);
    return found != ascending.end() && *found == value ? static_cast<int>(found - ascending.begin()) : -1;
}

}  // namespace pictavo::pictures
