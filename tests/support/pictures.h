#pragma once

#include "pictures/image.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace pictavo::test {

// A picture whose every pixel tells its own column and row (up to 4095):
// red and green hold their low bytes, blue their high nibbles.
pictures::Image coordinatePicture(int width, int height);
int columnOf(pictures::Rgb c);
int rowOf(pictures::Rgb c);

// The source columns and rows that reach a picture made from a coordinate picture.
std::set<int> columnsIn(const pictures::Image& image);
std::set<int> rowsIn(const pictures::Image& image);

pictures::Image flatPicture(int width, int height, pictures::Rgb colour);

// Little-endian byte writers for hand-made files.
void put16(std::string& out, std::uint32_t value);
void put32(std::string& out, std::uint32_t value);

// A BMP file: file header, a DIB header of headerSize bytes (12 core, 40 info,
// 108 V4, 124 V5 ...), then `extra` (masks or palette) and the pixel data.
struct BmpLayout {
    std::uint32_t headerSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;
    int bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> masks;  // written into a V4/V5 header
    std::string extra;
    std::string data;
};
std::string bmpFile(const BmpLayout& layout);

// A JPEG original written with libjpeg in the given colour space.
enum class JpegKind { Rgb, Grey, AdobeCmyk, Progressive };
void writeJpeg(const std::filesystem::path& path, const pictures::Image& image, JpegKind kind);

// A progressive JPEG of some hundred bytes whose frame header declares
// width x height: its data ends long before that. With full chroma its
// colour is not subsampled.
std::string progressiveJpegDeclaring(int width, int height, bool fullChroma);

// A GIF original written with giflib from frames of palette indices.
struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::vector<pictures::Rgb> localColours;  // empty: the global map
    int transparentIndex = -1;
    std::vector<std::uint8_t> indices;  // rows top to bottom
};
void writeGif(const std::filesystem::path& path, int screenWidth, int screenHeight,
              const std::vector<pictures::Rgb>& globalColours, const std::vector<GifFrame>& frames);

// A GIF of a few bytes: a screen, one frame placed on it and a scrap of data.
std::string gifDeclaring(int screenWidth, int screenHeight, int left, int top, int width, int height);

// Decodes a file with the system's own codec libraries and our BMP reader.
pictures::Image decodeFile(const std::filesystem::path& path);

}  // namespace pictavo::test
