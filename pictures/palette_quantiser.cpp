#include "pictures/palette_quantiser.h"

#include <algorithm>
#include <array>
#include <limits>
#include <unordered_map>

namespace pictavo::pictures {

namespace {

constexpr std::size_t MaxColours = 256;

std::uint32_t pack(const std::uint8_t* p)
{
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

int channel(std::uint32_t colour, int c) { return static_cast<int>((colour >> (16 - 8 * c)) & 0xFF); }

struct Entry {
    std::uint32_t colour;
    std::uint32_t count;
};

// A box of the median cut: a run of the entries.
struct Box {
    std::size_t begin;
    std::size_t end;
    int longest;  // the channel with the widest range
    int range;    // that range
};

Box measure(const std::vector<Entry>& entries, std::size_t begin, std::size_t end)
{
    std::array<int, 3> low{255, 255, 255};
    std::array<int, 3> high{0, 0, 0};
    for (std::size_t i = begin; i < end; ++i)
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min(low[c], channel(entries[i].colour, c));
            high[c] = std::max(high[c], channel(entries[i].colour, c));
        }
    Box box{begin, end, 0, -1};
    for (int c = 0; c < 3; ++c)
        if (high[c] - low[c] > box.range) {
            box.range = high[c] - low[c];
            box.longest = c;
        }
    return box;
}

std::vector<Rgb> medianCut(std::vector<Entry>& entries)
{
    std::vector<Box> boxes{measure(entries, 0, entries.size())};
    while (boxes.size() < MaxColours) {
        // Split the box with the widest range; ties go to the earlier box.
        auto widest = std::max_element(boxes.begin(), boxes.end(),
                                       [](const Box& a, const Box& b) { return a.range < b.range; });
        if (widest->range <= 0)
            break;
        const Box box = *widest;
        const int c = box.longest;
        std::sort(entries.begin() + static_cast<std::ptrdiff_t>(box.begin),
                  entries.begin() + static_cast<std::ptrdiff_t>(box.end), [c](const Entry& a, const Entry& b) {
                      const int ca = channel(a.colour, c);
                      const int cb = channel(b.colour, c);
                      return ca != cb ? ca < cb : a.colour < b.colour;
                  });
        std::uint64_t total = 0;
        for (std::size_t i = box.begin; i < box.end; ++i)
            total += entries[i].count;
        // The weighted median, keeping at least one entry on each side.
        std::uint64_t running = 0;
        std::size_t split = box.begin + 1;
        for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
            running += entries[i].count;
            split = i + 1;
            if (running * 2 >= total)
                break;
        }
        *widest = measure(entries, box.begin, split);
        boxes.push_back(measure(entries, split, box.end));
    }

    std::vector<Rgb> palette;
    for (const Box& box : boxes) {
        std::array<std::uint64_t, 3> sum{};
        std::uint64_t count = 0;
        for (std::size_t i = box.begin; i < box.end; ++i) {
            for (int c = 0; c < 3; ++c)
                sum[c] += std::uint64_t(channel(entries[i].colour, c)) * entries[i].count;
            count += entries[i].count;
        }
        palette.push_back(Rgb{static_cast<std::uint8_t>((sum[0] + count / 2) / count),
                              static_cast<std::uint8_t>((sum[1] + count / 2) / count),
                              static_cast<std::uint8_t>((sum[2] + count / 2) / count)});
    }
    return palette;
}

std::uint8_t nearest(const std::vector<Rgb>& palette, std::uint32_t colour)
{
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = palette[i].red - channel(colour, 0);
        const int dg = palette[i].green - channel(colour, 1);
        const int db = palette[i].blue - channel(colour, 2);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return static_cast<std::uint8_t>(best);
}

}  // namespace

IndexedImage quantise(const Image& image)
{
    const std::size_t pixelCount = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    std::unordered_map<std::uint32_t, std::uint32_t> histogram;
    for (std::size_t i = 0; i < pixelCount; ++i)
        ++histogram[pack(&image.pixels[i * 3])];

    std::vector<Entry> entries;
    entries.reserve(histogram.size());
    for (const auto& [colour, count] : histogram)
        entries.push_back(Entry{colour, count});
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.colour < b.colour; });

    IndexedImage result;
    if (entries.size() <= MaxColours) {
        for (const Entry& e : entries)
            result.palette.push_back(Rgb{static_cast<std::uint8_t>(channel(e.colour, 0)),
                                         static_cast<std::uint8_t>(channel(e.colour, 1)),
                                         static_cast<std::uint8_t>(channel(e.colour, 2))});
    } else {
        result.palette = medianCut(entries);
    }

    std::unordered_map<std::uint32_t, std::uint8_t> lookup;
    lookup.reserve(histogram.size());
    result.indices.resize(pixelCount);
    for (std::size_t i = 0; i < pixelCount; ++i) {
        const std::uint32_t colour = pack(&image.pixels[i * 3]);
        auto found = lookup.find(colour);
        if (found == lookup.end())
            found = lookup.emplace(colour, nearest(result.palette, colour)).first;
        result.indices[i] = found->second;
    }
    return result;
}

}  // namespace pictavo::pictures
