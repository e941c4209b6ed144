#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pictavo::build {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb& o) const { return red == o.red && green == o.green && blue == o.blue; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

inline constexpr Rgb White{255, 255, 255};

// A picture of 8-bit RGB pixels, rows top to bottom, three bytes a pixel.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    Image() = default;
    // Allocates a white picture; the caller has checked the size (checkPictureSize).
    Image(int w, int h);

    std::uint8_t* row(int y) { return pixels.data() + static_cast<std::size_t>(y) * rowBytes(); }
    const std::uint8_t* row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * rowBytes(); }
    std::size_t rowBytes() const { return static_cast<std::size_t>(width) * 3; }
    Rgb at(int x, int y) const
    {
        const std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * 3;
        return Rgb{p[0], p[1], p[2]};
    }
    void set(int x, int y, Rgb c)
    {
        std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * 3;
        p[0] = c.red;
        p[1] = c.green;
        p[2] = c.blue;
    }
};

// Decoding or making a picture may take this much memory at the most.
inline constexpr std::uint64_t MaxPictureBytes = std::uint64_t{1} << 30;

// Refuses a picture of that size, in pixels, with bytesPerPixel bytes each,
// when it is empty or would need more than MaxPictureBytes.
void checkPictureSize(const std::string& name, std::int64_t width, std::int64_t height, int bytesPerPixel = 3);

// "The picture <name> cannot be read: <reason>."
std::string unreadablePictureMessage(const std::string& name, const std::string& reason);

}  // namespace pictavo::build
