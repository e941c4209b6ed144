#include "pictures/bmp_codec.h"
#include "pictures/picture_decoder.h"

#include "support/pictures.h"
#include "support/user_error_of.h"

#include <gtest/gtest.h>

namespace pictavo::pictures {
namespace {

using test::BmpLayout;
using test::put16;
using test::put32;

Image decodeBmp(const std::string& bytes)
{
    auto decoder = openBmp(bytes, "test.bmp");
    return decoder->decode(decoder->width(), decoder->height());
}

std::string bgrPalette(std::initializer_list<Rgb> colours, int entryBytes = 4)
{
    std::string out;
    for (Rgb c : colours) {
        out += static_cast<char>(c.blue);
        out += static_cast<char>(c.green);
        out += static_cast<char>(c.red);
        if (entryBytes == 4)
            out += '\0';
    }
    return out;
}

const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, black{}, white{255, 255, 255};

void expectPixels(const Image& image, int width, std::vector<Rgb> pixels, const char* what)
{
    ASSERT_EQ(image.width, width) << what;
    ASSERT_EQ(image.height, static_cast<int>(pixels.size()) / width) << what;
    for (std::size_t i = 0; i < pixels.size(); ++i)
        EXPECT_EQ(image.at(static_cast<int>(i) % width, static_cast<int>(i) / width), pixels[i])
            << what << " pixel " << i;
}

TEST(BmpCodec, WritesATwentyFourBitBottomUpBitmapByteForByte)
{
    Image image(3, 2);
    image.set(0, 0, red);
    image.set(1, 0, green);
    image.set(2, 0, blue);
    image.set(0, 1, Rgb{1, 2, 3});
    image.set(1, 1, black);
    image.set(2, 1, white);
    std::string expected = "BM";
    put32(expected, 14 + 40 + 24);
    put32(expected, 0);
    put32(expected, 54);
    for (std::uint32_t v : {40u, 3u, 2u})
        put32(expected, v);
    put16(expected, 1);
    put16(expected, 24);
    for (std::uint32_t v : {0u, 24u, 0u, 0u, 0u, 0u})
        put32(expected, v);
    // Bottom row first, blue green red, each row padded from 9 to 12 bytes.
    expected += std::string("\x03\x02\x01\x00\x00\x00\xff\xff\xff\0\0\0", 12);
    expected += std::string("\x00\x00\xff\x00\xff\x00\xff\x00\x00\0\0\0", 12);
    EXPECT_EQ(encodeBmp(image), expected);
    expectPixels(decodeBmp(expected), 3, {red, green, blue, {1, 2, 3}, black, white}, "round trip");
}

TEST(BmpCodec, ReadsTheVariantsPeopleHave)
{
    struct Case {
        const char* what;
        BmpLayout layout;
        int width;
        std::vector<Rgb> pixels;
    };
    const std::string pal4 = bgrPalette({black, red, green, blue});
    const std::string core = bgrPalette({black, red}, 3);
    const Case cases[] = {
        {"1 bit, core header", {12, 3, 1, 1, 0, 0, {}, core, std::string("\x40\0\0\0", 4)}, 3, {black, red, black}},
        {"1 bit, info header", {40, 9, 1, 1, 0, 2, {}, bgrPalette({black, white}), std::string("\xAA\x80\0\0", 4)},
         9, {white, black, white, black, white, black, white, black, white}},
        {"4 bit", {40, 3, 2, 4, 0, 4, {}, pal4, std::string("\x12\x30\0\0\x33\x10\0\0", 8)}, 3,
         {blue, blue, red, red, green, blue}},
        {"8 bit top-down", {40, 2, -2, 8, 0, 4, {}, pal4, std::string("\x01\x02\0\0\x03\x00\0\0", 8)}, 2,
         {red, green, blue, black}},
        {"8 bit, index past the palette is black", {40, 2, 1, 8, 0, 2, {}, bgrPalette({red, green}),
                                                     std::string("\x01\xC8\0\0", 4)}, 2, {green, black}},
        {"16 bit 5-5-5", {40, 2, 1, 16, 0, 0, {}, "", std::string("\x00\x7C\x1F\x00", 4)}, 2, {red, blue}},
        {"16 bit 5-6-5 bit fields",
         {40, 2, 1, 16, 3, 0, {}, [] { std::string m; put32(m, 0xF800); put32(m, 0x07E0); put32(m, 0x001F); return m; }(),
          std::string("\xE0\x07\x00\xF8", 4)}, 2, {green, red}},
        {"24 bit", {40, 1, 2, 24, 0, 0, {}, "", std::string("\xff\0\0\0\0\0\xff\0", 8)}, 1, {red, blue}},
        {"32 bit, no alpha", {40, 2, 1, 32, 0, 0, {}, "", std::string("\x00\xff\x00\x00\xff\x00\x00\x00", 8)}, 2,
         {green, blue}},
        {"32 bit V5 with alpha on white",
         {124, 3, 1, 32, 3, 0, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, "",
          std::string("\x00\x00\xff\xff\x00\x00\xff\x00\x00\x00\xff\x80", 12)}, 3, {red, white, {255, 127, 127}}},
        {"32 bit V5 whose alpha is zero everywhere is opaque",
         {124, 2, 1, 32, 3, 0, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, "",
          std::string("\x00\x00\xff\x00\x40\x30\x20\x00", 8)}, 2, {red, {32, 48, 64}}},
        {"16 bit alpha bit fields, alpha unused",
         {40, 1, 1, 16, 6, 0, {}, [] { std::string m; put32(m, 0x0F00); put32(m, 0x00F0); put32(m, 0x000F); put32(m, 0xF000); return m; }(),
          std::string("\x0F\x0F\0\0", 4)}, 1, {{255, 0, 255}}},
        {"V2 header with alpha bit fields: the alpha mask follows it",
         {52, 2, 1, 32, 6, 0, {0x00FF0000, 0x0000FF00, 0x000000FF}, [] { std::string m; put32(m, 0xFF000000); return m; }(),
          std::string("\x00\x00\xff\x00\x00\xff\x00\xff", 8)}, 2, {white, green}},
        {"32 bit V4 bit fields in another order",
         {108, 1, 1, 32, 3, 0, {0x000000FF, 0x0000FF00, 0x00FF0000, 0}, "", std::string("\x10\x20\x30\x00", 4)}, 1,
         {{16, 32, 48}}},
    };
    for (const Case& c : cases)
        expectPixels(decodeBmp(test::bmpFile(c.layout)), c.width, c.pixels, c.what);
}

TEST(BmpCodec, ReadsRunLengthEncodedBitmaps)
{
    const std::string pal4 = bgrPalette({black, red, green, blue});
    // RLE8, 4 x 3, bottom-up: run of 3 reds, end of line; absolute run 2 3 1
    // (padded), end of line; delta (1, 0), run of 9 greens cut at the edge.
    BmpLayout rle8{40, 4, 3, 8, 1, 4, {}, pal4,
                 std::string("\x03\x01\x00\x00" "\x00\x03\x02\x03\x01\x00" "\x00\x00" "\x00\x02\x01\x00\x09\x02", 18)};
    expectPixels(decodeBmp(test::bmpFile(rle8)), 4, {white, green, green, green, green, blue, red, white, red, red, red, white},
                 "RLE8");

    // RLE4, 5 x 1: run of 5 alternating blue, red; end of bitmap.
    BmpLayout rle4{40, 5, 1, 4, 2, 4, {}, pal4, std::string("\x05\x31\x00\x01", 4)};
    expectPixels(decodeBmp(test::bmpFile(rle4)), 5, {blue, red, blue, red, blue}, "RLE4");

    // Data that ends early leaves the rest white; deltas past the top stop it.
    BmpLayout cut{40, 2, 2, 8, 1, 4, {}, pal4, std::string("\x01\x01\x00\x02\x00\x09\x02\x02", 8)};
    expectPixels(decodeBmp(test::bmpFile(cut)), 2, {white, white, red, white}, "cut short");
}

TEST(BmpCodec, RefusesDamagedAndLyingFilesWithAClearMessage)
{
    const std::string good = test::bmpFile({40, 2, 2, 24, 0, 0, {}, "", std::string(16, '\0')});
    struct Case {
        std::string bytes;
        const char* reason;
    };
    std::string badOffset = good;
    badOffset[10] = '\x7f';
    const Case cases[] = {
        {"", "the file ends inside its header"},
        {"BM\0\0", "the file ends inside its header"},
        {good.substr(0, 30), "the file ends inside its header"},
        {"GIF89a" + good.substr(6), "it is not a BMP file"},
        {good.substr(0, good.size() - 1), "its pixel data is truncated"},
        {badOffset, "its pixel data lies outside the file"},
        {test::bmpFile({40, 0, 2, 24, 0, 0, {}, "", ""}), "it has no pixels"},
        {test::bmpFile({40, 2, 2, 7, 0, 0, {}, "", std::string(16, '\0')}),
         "7 bits per pixel with compression 0 is not a valid combination"},
        {test::bmpFile({40, 2, 2, 24, 1, 0, {}, "", std::string(16, '\0')}),
         "24 bits per pixel with compression 1 is not a valid combination"},
        {test::bmpFile({40, 2, 2, 24, 4, 0, {}, "", std::string(16, '\0')}), "compression 4 is not supported"},
        {test::bmpFile({64, 2, 2, 24, 3, 0, {}, "", std::string(16, '\0')}), "OS/2 compression 3 is not supported"},
        {test::bmpFile({200, 2, 2, 24, 0, 0, {}, "", std::string(16, '\0')}),
         "its header of 200 bytes is not a known kind"},
        // The header holds three masks; the alpha mask would lie past the file's end.
        {test::bmpFile({52, 1, 1, 32, 6, 0, {0xFF0000, 0xFF00, 0xFF}, "", ""}), "the file ends inside its colour masks"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(test::userErrorOf([&] { decodeBmp(c.bytes); }),
                  "The picture test.bmp cannot be read: " + std::string(c.reason) + ".");
}

// A few bytes that declare a huge picture are refused when the header is
// read, before anything is allocated for the pixels.
TEST(BmpCodec, RefusesAPictureTooLargeOrTooShortBeforeDecodingIt)
{
    struct Case {
        std::int32_t width, height;
        std::string message;
    };
    const Case cases[] = {
        {18000, 18000, "The picture x.bmp is too large to process (18000 x 18000 pixels; at most 128 megapixels)."},
        {100000, -100000, "The picture x.bmp is too large to process (100000 x 100000 pixels; at most 128 megapixels)."},
        {16000, 8001, "The picture x.bmp is too large to process (16000 x 8001 pixels; at most 128 megapixels)."},
        // Within the limit, a panorama of 100 megapixels included: the data must be in the file.
        {16000, 8000, "The picture x.bmp cannot be read: its pixel data is truncated."},
        {25000, 4000, "The picture x.bmp cannot be read: its pixel data is truncated."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(test::userErrorOf([&] { openBmp(test::bmpFile({40, c.width, c.height, 24, 0, 0, {}, "", "1234"}), "x.bmp"); }),
                  c.message);
    const std::string lowest = test::bmpFile({40, 1, INT32_MIN, 24, 0, 0, {}, "", std::string(16, '\0')});
    EXPECT_NE(test::userErrorOf([&] { openBmp(lowest, "min.bmp"); }), "<no error>");
}

}  // namespace
}  // namespace pictavo::pictures
