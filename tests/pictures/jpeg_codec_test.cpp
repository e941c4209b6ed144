#include "pictures/jpeg_codec.h"
#include "pictures/picture_decoder.h"

#include "platform/file_reader.h"
#include "support/pictures.h"
#include "support/temp_dir.h"
#include "support/user_error_of.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <jpeglib.h>

namespace pictavo::pictures {
namespace {

using test::JpegKind;

bool near(Rgb a, Rgb b, int tolerance = 6)
{
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
}

Image halves(int w, int h, Rgb left, Rgb right)
{
    Image image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.set(x, y, x < w / 2 ? left : right);
    return image;
}

TEST(JpegCodec, DecodesEveryColourModelToRgb)
{
    test::TempDir dir;
    struct Case {
        JpegKind kind;
        Rgb left, right;
        Rgb expectLeft, expectRight;
    };
    const Case cases[] = {
        {JpegKind::Rgb, {200, 30, 40}, {10, 90, 220}, {200, 30, 40}, {10, 90, 220}},
        {JpegKind::Progressive, {200, 30, 40}, {10, 90, 220}, {200, 30, 40}, {10, 90, 220}},
        {JpegKind::Grey, {0, 60, 0}, {0, 200, 0}, {60, 60, 60}, {200, 200, 200}},
        {JpegKind::AdobeCmyk, {250, 20, 30}, {40, 128, 250}, {250, 20, 30}, {40, 128, 250}},
    };
    for (const Case& c : cases) {
        const std::filesystem::path path = dir / "original.jpg";
        test::writeJpeg(path, halves(64, 32, c.left, c.right), c.kind);
        const Image image = test::decodeFile(path);
        ASSERT_EQ(image.width, 64);
        ASSERT_EQ(image.height, 32);
        EXPECT_TRUE(near(image.at(8, 16), c.expectLeft)) << int(c.kind);
        EXPECT_TRUE(near(image.at(56, 16), c.expectRight)) << int(c.kind);
    }
}

TEST(JpegCodec, DecodesAtTheSmallestScaleThatCoversTheSizeAskedFor)
{
    test::TempDir dir;
    test::writeJpeg(dir / "big.jpg", test::flatPicture(800, 600, Rgb{90, 120, 150}), JpegKind::Rgb);
    struct Case {
        int minWidth, minHeight, width, height;
    };
    for (const Case c : {Case{133, 100, 200, 150}, Case{100, 75, 100, 75}, Case{101, 75, 200, 150},
                         Case{667, 500, 700, 525}, Case{800, 600, 800, 600}}) {
        auto decoder = openJpeg(platform::readWholeFile(dir / "big.jpg"), "big.jpg");
        const Image image = decoder->decode(c.minWidth, c.minHeight);
        EXPECT_EQ(image.width, c.width) << c.minWidth;
        EXPECT_EQ(image.height, c.height) << c.minWidth;
        EXPECT_TRUE(near(image.at(image.width / 2, image.height / 2), Rgb{90, 120, 150}));
    }
}

TEST(JpegCodec, WritesBaselineColourAtQualityNinety)
{
    test::TempDir dir;
    const std::string bytes = encodeJpeg(test::flatPicture(40, 20, Rgb{0, 0, 0}));
    test::writeBytes(dir / "out.jpg", bytes);

    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&info, TRUE);
    EXPECT_EQ(info.num_components, 3);
    EXPECT_EQ(info.jpeg_color_space, JCS_YCbCr);
    EXPECT_FALSE(info.progressive_mode);
    // Quality 90 scales the standard luminance table by 20 %: its first entry 16 becomes 3.
    ASSERT_NE(info.quant_tbl_ptrs[0], nullptr);
    EXPECT_EQ(info.quant_tbl_ptrs[0]->quantval[0], 3);
    jpeg_destroy_decompress(&info);
}

TEST(JpegCodec, BadFilesRaiseTheCodecsMessageAndNeverEndTheProcess)
{
    test::TempDir dir;
    test::writeJpeg(dir / "good.jpg", test::coordinatePicture(256, 256), JpegKind::Rgb);
    const std::string good = platform::readWholeFile(dir / "good.jpg");

    EXPECT_EQ(test::userErrorOf([] { openJpeg("\x89PNG\r\n", "x.jpg"); }),
              "The picture x.jpg cannot be read: Not a JPEG file: starts with 0x89 0x50.");
    EXPECT_EQ(test::userErrorOf([] { openJpeg("", "x.jpg"); }),
              "The picture x.jpg cannot be read: Empty input file.");
    EXPECT_NE(test::userErrorOf([&] { openJpeg(good.substr(0, 100), "x.jpg"); }), "<no error>");

    // Cut inside the picture data: a partial picture, as viewers show it, and
    // what libjpeg said of it.
    auto decoder = openJpeg(good.substr(0, good.size() / 2), "x.jpg");
    EXPECT_EQ(decoder->decode(256, 256).width, 256);
    EXPECT_EQ(decoder->damage(), "Premature end of JPEG file");
    auto whole = openJpeg(good, "x.jpg");
    whole->decode(256, 256);
    EXPECT_EQ(whole->damage(), "");

    // Corrupt the data after the header: an error or a picture, never a crash.
    std::string corrupt = good;
    for (std::size_t i = corrupt.size() / 2; i < corrupt.size() - 2; i += 7)
        corrupt[i] = static_cast<char>(0xFF);
    test::userErrorOf([&] { openJpeg(corrupt, "x.jpg")->decode(256, 256); });
}

// The size a file declares is checked when its header is read; below the
// pixel limit, libjpeg's own buffers for a progressive file are bounded too.
TEST(JpegCodec, RefusesAPictureTooLargeToDecodeBeforeAllocatingForIt)
{
    EXPECT_EQ(test::userErrorOf([] { openJpeg(test::progressiveJpegDeclaring(30000, 30000, false), "x.jpg"); }),
              "The picture x.jpg is too large to process (30000 x 30000 pixels; at most 128 megapixels).");
    // A file too short to give each of its blocks a bit is cut far too
    // short to be worth the memory its size would take.
    EXPECT_EQ(test::userErrorOf([] { openJpeg(test::progressiveJpegDeclaring(11000, 11000, false), "x.jpg"); }),
              "The picture x.jpg cannot be read: it is far too short for its 11000 x 11000 pixels.");
    // 121 megapixels at 6 bytes a pixel of coefficients, in a file long
    // enough to hold them.
    const std::string padded = test::progressiveJpegDeclaring(11000, 11000, true) + std::string(800 << 10, '\0');
    EXPECT_EQ(test::userErrorOf([&] { openJpeg(padded, "x.jpg")->decode(1, 1); }),
              "The picture x.jpg is too large to process (11000 x 11000 pixels; decoding it would take more than 512 MiB).");
    // A small progressive picture is decoded as ever.
    auto small = openJpeg(test::progressiveJpegDeclaring(16, 16, true), "x.jpg");
    EXPECT_EQ(small->decode(16, 16).width, 16);
    EXPECT_EQ(small->damage(), "");
}

// Every scan is a pass over the whole picture: a file repeating its last
// scan is refused before it costs much.
TEST(JpegCodec, RefusesAProgressiveFileOfEndlessScans)
{
    const std::string file = test::progressiveJpegDeclaring(64, 64, false);
    const std::size_t lastScan = file.rfind("\xFF\xDA");
    const std::string scan = file.substr(lastScan, file.size() - 2 - lastScan);
    struct Case {
        int repeats;
        std::string message;
    };
    for (const Case& c : {Case{90, "<no error>"}, Case{91, "The picture x.jpg cannot be read: it has more than 100 scans."}}) {
        std::string repeated = file.substr(0, file.size() - 2);
        for (int i = 0; i < c.repeats; ++i)
            repeated += scan;
        EXPECT_EQ(test::userErrorOf([&] { openJpeg(repeated + "\xFF\xD9", "x.jpg")->decode(64, 64); }), c.message);
    }
}

}  // namespace
}  // namespace pictavo::pictures
