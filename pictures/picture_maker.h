#pragma once

#include "pictures/image.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace pictavo::pictures {

enum class PictureFormat { Jpeg, Gif, Bmp };

// By the file name's extension, in any letter case: jpg and jpeg, gif, bmp.
// Anything else throws "Unknown picture file extension (.<ext>)".
PictureFormat pictureFormatOf(const std::filesystem::path& original);

// ".jpg", ".gif" or ".bmp".
const char* extensionOf(PictureFormat format);

// The largest original read, in bytes. An uncompressed BMP at the pixel
// limit takes 512 MB at 32 bits a pixel, and a JPEG or GIF of that many
// pixels less than that; a larger file is refused before it is read.
inline constexpr std::uint64_t MaxOriginalBytes = std::uint64_t{1} << 30;

// The whole content of an original, its size and then its header checked on
// its first bytes before the rest is read: a file that cannot give a picture
// is refused having cost no more than those.
std::string readOriginal(const std::filesystem::path& original, PictureFormat format);

class PictureDecoder;

// A decoder for the original's bytes in its format (the name is for messages),
// and the encoding of a picture in a format.
std::unique_ptr<PictureDecoder> openPicture(std::string bytes, const std::string& name, PictureFormat format);
std::string encodePicture(const Image& picture, PictureFormat format);

struct Box {
    int width;
    int height;
};

struct BoxPictures {
    std::vector<std::string> encoded;  // one a box, in the boxes' order
    // Empty, or what the user should know of an original that was damaged
    // but still gave pictures: "the picture <name> is damaged (<what the
    // codec said>); it was published as far as it could be read".
    std::string warning;
};

// The encoded pictures of one original (its whole content) for each box, in
// the original's format, all from one decode at the smallest scale that still
// covers every box's intermediate picture, which keeps only the pixels the
// boxes take. Depends only on its arguments.
BoxPictures makeBoxPictures(std::string bytes, const std::string& name, PictureFormat format,
                            const std::vector<Box>& boxes);

// The original scaled into a box of boxWidth x boxHeight pixels: scaled by
// the box's orientation, centre-cropped where it overhangs, stretched where it
// falls short, each pixel the nearest source pixel.
Image boxPicture(const std::filesystem::path& original, int boxWidth, int boxHeight);

struct MadePicture {
    std::string fileName;  // base name + the format's extension
    std::filesystem::path tempPath;
};

// Writes an encoded picture into the Temp folder as baseName + extension.
MadePicture writeTempPicture(const std::string& baseName, PictureFormat format, const std::string& bytes);

// Makes the box picture of an original in the original's format and writes it
// into the Temp folder as baseName + extension.
MadePicture MakeBoxImage(const std::filesystem::path& original, const std::string& baseName, int boxWidth,
                         int boxHeight);

}  // namespace pictavo::pictures
