#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pictavo::pictures {

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

// The largest picture decoded or made, in pixels: 128 megapixels, the area
// limit common image tools ship with. A phone's 100-megapixel panorama
// passes; a few bytes that declare a picture of gigabytes do not. Every
// codec checks the original's declared size against it before it
// allocates anything for the pixels.
inline constexpr std::int64_t MaxPicturePixels = 128'000'000;

// Refuses a picture of that size, in pixels, when it is empty or larger
// than MaxPicturePixels.
void checkPictureSize(const std::string& name, std::int64_t width, std::int64_t height);

// "The picture <name> is too large to process (<W> x <H> pixels; <limit>)."
std::string tooLargeMessage(const std::string& name, std::int64_t width, std::int64_t height, const std::string& limit);

// "The picture <name> cannot be read: <reason>."
std::string unreadablePictureMessage(const std::string& name, const std::string& reason);

}  // namespace pictavo::pictures
