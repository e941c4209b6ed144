#include "build/picture_maker.h"

#include "build/jpeg_codec.h"
#include "platform/user_error.h"
#include "support/child_process.h"
#include "support/pictures.h"
#include "support/user_error_of.h"

#include <gtest/gtest.h>

namespace pictavo::build {
namespace {

const std::vector<Box> DefaultBoxes{{133, 75}, {667, 375}};

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
}  // namespace pictavo::build
