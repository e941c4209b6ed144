#include "pictures/picture_maker.h"

#include "pictures/bmp_codec.h"
#include "pictures/box_scaler.h"
#include "pictures/gif_codec.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_decoder.h"
#include "platform/file_reader.h"
#include "platform/user_error.h"
#include "support/child_process.h"
#include "support/pictures.h"
#include "support/temp_dir.h"
#include "support/user_error_of.h"

#include <gtest/gtest.h>
#include <random>

namespace pictavo::pictures {
namespace {

const std::vector<Box> DefaultBoxes{{133, 75}, {667, 375}};

const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, black{};

// The pictures of each box, encoded one after the other, of a source of
// width x height pixels whose pixels sourcePixel tells.
std::string expectedPictures(int width, int height, const std::function<Rgb(int, int)>& sourcePixel,
                             PictureFormat format)
{
    std::string pictures;
    for (const Box& box : DefaultBoxes) {
        const BoxMapping mapping =
            boxMapping(boxGeometry(width, height, box.width, box.height), box.width, box.height, width, height);
        Image picture(box.width, box.height);
        for (int y = 0; y < box.height; ++y)
            for (int x = 0; x < box.width; ++x)
                picture.set(x, y, sourcePixel(mapping.columns[std::size_t(x)], mapping.rows[std::size_t(y)]));
        pictures += encodePicture(picture, format);
    }
    return pictures;
}

std::string bgrPalette(const std::vector<Rgb>& colours)
{
    std::string out;
    for (Rgb c : colours)
        out += std::string{static_cast<char>(c.blue), static_cast<char>(c.green), static_cast<char>(c.red), '\0'};
    return out;
}

// Run-length data for a bottom-up picture whose file rows first.. first +
// rows - 1 hold, from column `left`, `runs` runs of 250 pixels; the rest of
// it stays white. Run k of row r is palette index 1 + (r + k) % 3, or, with
// four bits a pixel, indices 1 and 2 by turns.
std::string runLengthBand(bool four, int first, int rows, int left, int runs)
{
    std::string data;
    auto delta = [&](int dx, int dy) {
        for (; dx > 0 || dy > 0; dx -= std::min(dx, 255), dy -= std::min(dy, 255))
            data += std::string{'\0', '\2', static_cast<char>(std::min(dx, 255)), static_cast<char>(std::min(dy, 255))};
    };
    delta(0, first);
    for (int r = 0; r < rows; ++r) {
        delta(left, 0);
        for (int k = 0; k < runs; ++k)
            data += std::string{static_cast<char>(250), static_cast<char>(four ? 0x12 : 1 + (r + k) % 3)};
        data += std::string("\0\0", 2);
    }
    return data + std::string("\0\1", 2);
}

// Originals of a few hundred bytes that declare pictures of gigabytes are
// refused in a process that cannot have more than 256 MiB: nothing is
// allocated for the size they declare.
TEST(PictureMaker, OriginalsDeclaringHugeSizesAreRefusedWithinBoundedMemory)
{
    if (test::AddressSanitizer)
        GTEST_SKIP() << "an address-space limit means nothing under AddressSanitizer";
    struct Case {
        std::string bytes;
        PictureFormat format;
        std::string message;
    };
    const Case cases[] = {
        {test::progressiveJpegDeclaring(30000, 30000, false), PictureFormat::Jpeg,
         "The picture x is too large to process (30000 x 30000 pixels; at most 128 megapixels)."},
        {test::progressiveJpegDeclaring(11000, 11000, false), PictureFormat::Jpeg,
         "The picture x cannot be read: it is far too short for its 11000 x 11000 pixels."},
        {test::progressiveJpegDeclaring(11000, 11000, true), PictureFormat::Jpeg,
         "The picture x cannot be read: it is far too short for its 11000 x 11000 pixels."},
        {test::gifDeclaring(18900, 18900, 0, 0, 18900, 18900), PictureFormat::Gif,
         "The picture x is too large to process (18900 x 18900 pixels; at most 128 megapixels)."},
        {test::bmpFile({40, 18000, 18000, 24, 0, 0, {}, "", "1234"}), PictureFormat::Bmp,
         "The picture x is too large to process (18000 x 18000 pixels; at most 128 megapixels)."},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> message = test::runInChild(
            [&] { return test::userErrorOf([&] { makeBoxPictures(c.bytes, "x", c.format, DefaultBoxes); }); },
            std::chrono::seconds(60), std::size_t{256} << 20);
        EXPECT_EQ(message, c.message);
    }
}

// Originals of a few kilobytes that declare 11000 x 11000 pixels, within the
// limit, give their pictures in a process that cannot have more than 256
// MiB: only the source rows and columns the boxes take are kept.
TEST(PictureMaker, OriginalsDeclaringLargeSizesWithinTheLimitAreMadeWithinBoundedMemory)
{
    if (test::AddressSanitizer)
        GTEST_SKIP() << "an address-space limit means nothing under AddressSanitizer";
    constexpr int side = 11000;
    const std::vector<Rgb> palette{black, red, green, blue};
    test::TempDir dir;
    // A frame of 1000 x 600 pixels on the screen; index (x / 7 + y / 5) % 4.
    test::GifFrame frame{5000, 4000, 1000, 600, true, {}, -1, {}};
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
            frame.indices.push_back(static_cast<std::uint8_t>((x / 7 + y / 5) % 4));
    test::writeGif(dir / "framed.gif", side, side, palette, {frame});
    auto inFrame = [&](int x, int y) {
        if (x < frame.left || x >= frame.left + frame.width || y < frame.top || y >= frame.top + frame.height)
            return White;
        return palette[std::size_t(((x - frame.left) / 7 + (y - frame.top) / 5) % 4)];
    };
    // File rows 5000 to 5999, columns 3000 to 5999.
    auto inBand = [&](bool four) {
        return [four, palette](int x, int y) {
            const int r = side - 1 - y - 5000;
            if (r < 0 || r >= 1000 || x < 3000 || x >= 6000)
                return White;
            const int i = x - 3000;
            return palette[std::size_t(four ? 1 + i % 2 : 1 + (r + i / 250) % 3)];
        };
    };
    struct Case {
        const char* what;
        std::string bytes;
        PictureFormat format;
        std::function<Rgb(int, int)> sourcePixel;
    };
    const Case cases[] = {
        // The one pixel of the frame is index 0 of no colour map: black.
        {"GIF screen with a frame of one pixel", test::gifDeclaring(side, side, 0, 0, 1, 1), PictureFormat::Gif,
         [](int x, int y) { return x == 0 && y == 0 ? black : White; }},
        {"GIF screen with an interlaced frame", test::readBytes(dir / "framed.gif"), PictureFormat::Gif, inFrame},
        {"RLE8 bitmap",
         test::bmpFile({40, side, side, 8, 1, 4, {}, bgrPalette(palette), runLengthBand(false, 5000, 1000, 3000, 12)}),
         PictureFormat::Bmp, inBand(false)},
        {"RLE4 bitmap",
         test::bmpFile({40, side, side, 4, 2, 4, {}, bgrPalette(palette), runLengthBand(true, 5000, 1000, 3000, 12)}),
         PictureFormat::Bmp, inBand(true)},
        {"RLE8 bitmap that ends at once", test::bmpFile({40, side, side, 8, 1, 0, {}, "", std::string("\0\1", 2)}),
         PictureFormat::Bmp, [](int, int) { return White; }},
    };
    for (const Case& c : cases) {
        ASSERT_LT(c.bytes.size(), 200'000u) << c.what;
        const std::optional<std::string> made = test::runInChild(
            [&] {
                const BoxPictures pictures = makeBoxPictures(c.bytes, "x", c.format, DefaultBoxes);
                return pictures.encoded[0] + pictures.encoded[1];
            },
            std::chrono::seconds(60), std::size_t{256} << 20);
        ASSERT_TRUE(made) << c.what;
        EXPECT_TRUE(*made == expectedPictures(side, side, c.sourcePixel, c.format)) << c.what;
    }
}

// Files of hundreds of megabytes whose first bytes already show that they
// give no picture are refused within 256 MiB, without being read; a file
// larger than the limit is refused before anything of it is read.
TEST(PictureMaker, OriginalsAreRefusedByTheirSizeOrFirstBytesBeforeTheyAreRead)
{
    if (test::AddressSanitizer)
        GTEST_SKIP() << "an address-space limit means nothing under AddressSanitizer";
    test::TempDir dir;
    struct Case {
        std::string name;
        std::string start;
        std::uint64_t size;
        std::string reason;
    };
    constexpr std::uint64_t large = 600 << 20;
    const std::string huge = std::to_string(MaxOriginalBytes + 1);
    const Case cases[] = {
        {"junk.gif", "not a picture", large, "cannot be read: Data is not in GIF format."},
        {"junk.jpg", "not a picture", large, "cannot be read: Not a JPEG file: starts with 0x6e 0x6f."},
        {"junk.bmp", "not a picture", large, "cannot be read: it is not a BMP file."},
        {"huge.gif", test::gifDeclaring(18900, 18900, 0, 0, 18900, 18900), large,
         "is too large to process (18900 x 18900 pixels; at most 128 megapixels)."},
        {"huge.bmp", test::bmpFile({40, 18000, 18000, 24, 0, 0, {}, "", ""}), large,
         "is too large to process (18000 x 18000 pixels; at most 128 megapixels)."},
        {"limit.gif", "not a picture", MaxOriginalBytes, "cannot be read: Data is not in GIF format."},
        {"beyond.jpg", encodeJpeg(test::flatPicture(8, 8, red)), MaxOriginalBytes + 1,
         "is too large to process (its file holds " + huge + " bytes; at most 1 GiB)."},
    };
    for (const Case& c : cases) {
        const std::filesystem::path original = dir / c.name;
        test::writeBytes(original, c.start);
        std::filesystem::resize_file(original, c.size);
        const std::optional<std::string> message = test::runInChild(
            [&] { return test::userErrorOf([&] { boxPicture(original, 133, 75); }); }, std::chrono::seconds(60),
            std::size_t{256} << 20);
        EXPECT_EQ(message, "The picture " + original.string() + " " + c.reason) << c.name;
        std::filesystem::remove(original);
    }
}

// Headers that go on past the first bytes looked at (large application
// markers, comments, a gap before the pixel data) are read in full.
TEST(PictureMaker, HeadersLongerThanTheFirstLookStillGiveTheirPictures)
{
    test::TempDir dir;
    const Image picture = test::coordinatePicture(40, 30);
    test::writeJpeg(dir / "plain.jpg", picture, test::JpegKind::Rgb);
    test::writeGif(dir / "plain.gif", 4, 2, {red, green, blue, black},
                   {test::GifFrame{0, 0, 4, 2, false, {}, -1, {0, 1, 2, 3, 3, 2, 1, 0}}});
    test::writeBytes(dir / "plain.bmp", encodeBmp(picture));

    // Two application markers of 60000 bytes after the start of image.
    std::string jpeg = test::readBytes(dir / "plain.jpg");
    for (int i = 0; i < 2; ++i)
        jpeg.insert(2, "\xFF\xEF\xEA\x62" + std::string(60000 - 2, 'a'));
    // A comment of 400 blocks of 255 bytes before the frame, after the
    // screen and its colour map of four entries.
    std::string gif = test::readBytes(dir / "plain.gif");
    std::string comment = "!\xFE";
    for (int i = 0; i < 400; ++i)
        comment += "\xFF" + std::string(255, 'c');
    gif.insert(13 + 4 * 3, comment + std::string(1, '\0'));
    // 100000 bytes between the headers and the pixel data.
    std::string bmp = test::readBytes(dir / "plain.bmp");
    bmp.insert(54, std::string(100000, '\0'));
    bmp[10] = static_cast<char>((54 + 100000) & 0xFF);
    bmp[11] = static_cast<char>((54 + 100000) >> 8 & 0xFF);
    bmp[12] = static_cast<char>((54 + 100000) >> 16);

    for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"jpg", jpeg}, {"gif", gif}, {"bmp", bmp}}) {
        ASSERT_GT(bytes.size(), 100'000u);
        test::writeBytes(dir / ("long." + name), bytes);
        const Image plain = boxPicture(dir / ("plain." + name), 20, 15);
        const Image padded = boxPicture(dir / ("long." + name), 20, 15);
        EXPECT_EQ(padded.pixels, plain.pixels) << name;
    }
}

// Random originals of every kind the decoders know: the maker, which decodes
// only the pixels the boxes take, gives exactly the bytes of a whole decode
// mapped into each box; and any kept selection holds the whole picture's pixels.
TEST(PictureMaker, KeepingOnlyTheMappedPixelsGivesTheBytesOfAWholeDecode)
{
    test::TempDir dir;
    std::mt19937 random(20240611);
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    auto someBytes = [&](std::size_t n) {
        std::string bytes(n, '\0');
        for (char& b : bytes)
            b = static_cast<char>(between(0, 255));
        return bytes;
    };
    auto someColours = [&](int n) {
        std::vector<Rgb> colours;
        for (int i = 0; i < n; ++i)
            colours.push_back(
                Rgb{std::uint8_t(between(0, 255)), std::uint8_t(between(0, 255)), std::uint8_t(between(0, 255))});
        return colours;
    };
    // Run-length commands at random: runs, absolute runs, line ends, deltas,
    // sometimes an end of bitmap, sometimes data that stops short.
    auto someRunLengths = [&](bool four) {
        std::string data;
        for (int n = between(0, 200); n > 0; --n) {
            const int kind = between(0, 9);
            if (kind < 5) {
                data += std::string{static_cast<char>(between(1, 40)), static_cast<char>(between(0, 255))};
            } else if (kind < 7) {
                const int count = between(3, 40);
                const int bytes = four ? (count + 1) / 2 : count;
                data += std::string{'\0', static_cast<char>(count)} + someBytes(std::size_t(bytes + bytes % 2));
            } else if (kind < 9) {
                data += std::string("\0\0", 2);
            } else {
                data += std::string{'\0', '\2', static_cast<char>(between(0, 12)), static_cast<char>(between(0, 2))};
            }
        }
        return between(0, 1) ? data + std::string("\0\1", 2) : data;
    };
    auto someBmp = [&]() {
        const int width = between(1, 90);
        const int height = between(1, 70);
        const int sign = between(0, 1) ? -1 : 1;
        const int kind = between(0, 8);
        if (kind < 6) {
            const int bits = std::array<int, 6>{1, 4, 8, 16, 24, 32}[std::size_t(kind)];
            const std::size_t stride = (std::size_t(bits) * std::size_t(width) + 31) / 32 * 4;
            const std::string palette = bits <= 8 ? someBytes(std::size_t(4) << bits) : "";
            return test::bmpFile(
                {40, width, sign * height, bits, 0, 0, {}, palette, someBytes(stride * std::size_t(height))});
        }
        if (kind == 6)  // 32 bits with alpha, composited on white
            return test::bmpFile({124, width, sign * height, 32, 3, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, "",
                                  someBytes(std::size_t(width) * std::size_t(height) * 4)});
        const bool four = kind == 8;
        return test::bmpFile({40, width, sign * height, four ? 4 : 8, four ? 2u : 1u, 0, {},
                              someBytes(std::size_t(4) << (four ? 4 : 8)), someRunLengths(four)});
    };
    auto someGif = [&]() {
        test::GifFrame frame{between(0, 20), between(0, 20), between(1, 80), between(1, 60), between(0, 1) == 1,
                             between(0, 1) ? someColours(4) : std::vector<Rgb>{}, between(-1, 3), {}};
        for (int i = 0; i < frame.width * frame.height; ++i)
            frame.indices.push_back(static_cast<std::uint8_t>(between(0, 3)));
        test::writeGif(dir / "some.gif", between(1, 80), between(1, 80), someColours(4), {frame});
        return test::readBytes(dir / "some.gif");
    };
    auto someJpeg = [&]() {
        const auto kind = static_cast<test::JpegKind>(between(0, 3));
        test::writeJpeg(dir / "some.jpg", test::coordinatePicture(between(1, 300), between(1, 300)), kind);
        return test::readBytes(dir / "some.jpg");
    };
    auto someSelection = [&](int width, int height) {
        PixelSelection keep;
        for (int x = 0; x < width; ++x)
            if (between(0, 2) == 0 || (x == width - 1 && keep.columns.empty()))
                keep.columns.push_back(x);
        for (int y = 0; y < height; ++y)
            if (between(0, 2) == 0 || (y == height - 1 && keep.rows.empty()))
                keep.rows.push_back(y);
        return keep;
    };

    for (int round = 0; round < 300; ++round) {
        const auto format = static_cast<PictureFormat>(round % 3);
        const std::string bytes =
            format == PictureFormat::Bmp ? someBmp() : format == PictureFormat::Gif ? someGif() : someJpeg();
        std::vector<Box> boxes{{between(1, 120), between(1, 120)}};
        if (between(0, 1))
            boxes.push_back(Box{between(1, 120), between(1, 120)});
        const BoxPictures made = makeBoxPictures(bytes, "x", format, boxes);

        // The whole decode at the scale the boxes need, mapped into each box.
        const std::unique_ptr<PictureDecoder> decoder = openPicture(bytes, "x", format);
        std::int64_t needWidth = 1, needHeight = 1;
        for (const Box& box : boxes) {
            const BoxGeometry g = boxGeometry(decoder->width(), decoder->height(), box.width, box.height);
            needWidth = std::max(needWidth, std::min<std::int64_t>(g.intermediateWidth, decoder->width()));
            needHeight = std::max(needHeight, std::min<std::int64_t>(g.intermediateHeight, decoder->height()));
        }
        const Image whole = decoder->decode(int(needWidth), int(needHeight));
        ASSERT_EQ(made.encoded.size(), boxes.size());
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const BoxGeometry g = boxGeometry(decoder->width(), decoder->height(), boxes[i].width, boxes[i].height);
            const Image expected =
                applyMapping(whole, boxMapping(g, boxes[i].width, boxes[i].height, whole.width, whole.height));
            ASSERT_TRUE(made.encoded[i] == encodePicture(expected, format)) << "round " << round << " box " << i;
        }

        const std::unique_ptr<PictureDecoder> again = openPicture(bytes, "x", format);
        const PictureSize size = again->chooseScale(int(needWidth), int(needHeight));
        const PixelSelection keep = someSelection(size.width, size.height);
        const Image kept = again->decodeSelected(keep);
        ASSERT_EQ(kept.width, int(keep.columns.size()));
        ASSERT_EQ(kept.height, int(keep.rows.size()));
        for (std::size_t j = 0; j < keep.rows.size(); ++j)
            for (std::size_t i = 0; i < keep.columns.size(); ++i)
                ASSERT_EQ(kept.at(int(i), int(j)), whole.at(keep.columns[i], keep.rows[j])) << "round " << round;
    }
}

TEST(PictureMaker, ADamagedOriginalStillGivesPicturesAndAWarning)
{
    const std::string good = encodeJpeg(test::coordinatePicture(300, 200));
    const BoxPictures whole = makeBoxPictures(good, "/p/a.jpg", PictureFormat::Jpeg, DefaultBoxes);
    EXPECT_EQ(whole.warning, "");
    const BoxPictures cut = makeBoxPictures(good.substr(0, good.size() / 2), "/p/a.jpg", PictureFormat::Jpeg, DefaultBoxes);
    ASSERT_EQ(cut.encoded.size(), 2u);
    EXPECT_EQ(cut.warning,
              "the picture /p/a.jpg is damaged (Premature end of JPEG file); it was published as far as it could be read");
}

}  // namespace
}  // namespace pictavo::pictures
