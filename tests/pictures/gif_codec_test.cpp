#include "pictures/gif_codec.h"
#include "pictures/palette_quantiser.h"
#include "pictures/picture_decoder.h"

#include "platform/file_reader.h"
#include "support/pictures.h"
#include "support/temp_dir.h"
#include "support/user_error_of.h"

#include <gtest/gtest.h>
#include <array>
#include <set>

namespace pictavo::pictures {
namespace {

using test::GifFrame;

const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, black{}, white{255, 255, 255};

Image decodeGif(const std::filesystem::path& path) { return test::decodeFile(path); }

TEST(GifCodec, ReadsTheFirstFrameWithItsColourMapAndTransparency)
{
    test::TempDir dir;
    // 4 x 8, interlaced, row r holds colour r % 3; a second frame is ignored.
    GifFrame first{0, 0, 4, 8, true, {}, -1, {}};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x)
            first.indices.push_back(static_cast<std::uint8_t>(y % 3));
    GifFrame second{0, 0, 4, 8, false, {}, -1, std::vector<std::uint8_t>(32, 0)};
    test::writeGif(dir / "a.gif", 4, 8, {red, green, blue, black}, {first, second});
    const Image a = decodeGif(dir / "a.gif");
    ASSERT_EQ(a.width, 4);
    ASSERT_EQ(a.height, 8);
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(a.at(2, y), (std::array<Rgb, 3>{red, green, blue}[static_cast<std::size_t>(y % 3)])) << y;

    // A local map wins over the global one; the transparent index and the
    // part of the screen the frame leaves uncovered come out white.
    GifFrame local{1, 0, 2, 1, false, {blue, green}, 0, {0, 1}};
    test::writeGif(dir / "b.gif", 3, 2, {red, red}, {local});
    const Image b = decodeGif(dir / "b.gif");
    ASSERT_EQ(b.width, 3);
    ASSERT_EQ(b.height, 2);
    EXPECT_EQ(b.at(0, 0), white);
    EXPECT_EQ(b.at(1, 0), white);
    EXPECT_EQ(b.at(2, 0), green);
    EXPECT_EQ(b.at(1, 1), white);
}

TEST(GifCodec, WritesAPictureOfFewColoursWithExactlyItsColours)
{
    test::TempDir dir;
    Image image(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image.set(x, y, Rgb{static_cast<std::uint8_t>(x * 16), static_cast<std::uint8_t>(y * 16), 77});
    test::writeBytes(dir / "out.gif", encodeGif(image));
    const Image back = decodeGif(dir / "out.gif");
    ASSERT_EQ(back.width, 16);
    EXPECT_EQ(back.pixels, image.pixels);
    EXPECT_EQ(encodeGif(image), encodeGif(image));

    test::writeBytes(dir / "flat.gif", encodeGif(test::flatPicture(5, 3, green)));
    EXPECT_EQ(decodeGif(dir / "flat.gif").pixels, test::flatPicture(5, 3, green).pixels);
}

TEST(PaletteQuantiser, ReducesARichPictureToTheNearestOf256Colours)
{
    const Image image = test::coordinatePicture(300, 200);  // 60,000 colours
    const IndexedImage indexed = quantise(image);
    ASSERT_LE(indexed.palette.size(), 256u);
    EXPECT_GE(indexed.palette.size(), 200u);
    std::set<int> used;
    long long error = 0;
    for (int i = 0; i < 300 * 200; ++i) {
        const Rgb pixel = image.at(i % 300, i / 300);
        const Rgb chosen = indexed.palette[indexed.indices[static_cast<std::size_t>(i)]];
        auto distance = [&](Rgb c) {
            return (c.red - pixel.red) * (c.red - pixel.red) + (c.green - pixel.green) * (c.green - pixel.green) +
                   (c.blue - pixel.blue) * (c.blue - pixel.blue);
        };
        for (const Rgb& other : indexed.palette)
            ASSERT_LE(distance(chosen), distance(other));
        error += distance(chosen);
        used.insert(indexed.indices[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(used.size(), indexed.palette.size());
    EXPECT_LT(error / (300 * 200), 300);  // within about 10 levels a channel on average
}

TEST(GifCodec, BadFilesRaiseAClearMessage)
{
    test::TempDir dir;
    test::writeGif(dir / "good.gif", 8, 8, {red, green}, {GifFrame{0, 0, 8, 8, false, {}, -1, std::vector<std::uint8_t>(64, 1)}});
    const std::string good = platform::readWholeFile(dir / "good.gif");
    for (const std::string& bad : {std::string("GIF89a"), std::string("not a gif at all"), good.substr(0, good.size() - 12),
                                   good.substr(0, 13) + ";"}) {
        const std::string message = test::userErrorOf([&] {
            auto decoder = openGif(bad, "x.gif");
            decoder->decode(decoder->width(), decoder->height());
        });
        EXPECT_EQ(message.rfind("The picture x.gif cannot be read: ", 0), 0u) << message;
    }
}

// The screen's size is refused right after the file is opened, a frame
// reaching beyond it once the frame is read, both before any pixel buffer.
TEST(GifCodec, RefusesAPictureTooLargeToDecodeBeforeAllocatingForIt)
{
    struct Case {
        std::string bytes;
        std::string message;
    };
    const Case cases[] = {
        {test::gifDeclaring(18900, 18900, 0, 0, 18900, 18900), "(18900 x 18900 pixels; at most 128 megapixels)."},
        {test::gifDeclaring(18900, 18900, 0, 0, 1, 1), "(18900 x 18900 pixels; at most 128 megapixels)."},
        {test::gifDeclaring(10, 10, 60000, 0, 5000, 30000), "(65000 x 30000 pixels; at most 128 megapixels)."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(test::userErrorOf([&] { openGif(c.bytes, "x.gif"); }), "The picture x.gif is too large to process " + c.message);
    // A panorama of 100 megapixels is within the limit.
    EXPECT_EQ(test::userErrorOf([] { openGif(test::gifDeclaring(25000, 4000, 0, 0, 25000, 4000), "x.gif"); }), "<no error>");
}

}  // namespace
}  // namespace pictavo::pictures
