#include "pictures/box_scaler.h"
#include "pictures/bmp_codec.h"
#include "pictures/picture_maker.h"

#include "support/pictures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace pictavo::pictures {
namespace {

using test::columnsIn;
using test::rowsIn;

TEST(BoxGeometry, FollowsTheThirtyTwoBitScaleAndRoundsHalvesToEven)
{
    struct Case {
        int w, h, W, H;
        std::int64_t interW, interH, x0, y0;
    };
    const Case cases[] = {
        {1000, 500, 133, 75, 133, 67, 0, 0},   // 500 / f is 66.5000006 with f a float
        {1000, 500, 667, 375, 667, 333, 0, 0},  // 333.49999
        {800, 600, 133, 75, 133, 100, 0, 12},   // 12.5 rounds to 12
        {500, 1000, 667, 375, 667, 1334, 0, 480},  // 479.5 rounds to 480
        {400, 300, 100, 200, 267, 200, 84, 0},  // an upright box scales by height; 83.5 gives 84
        {300, 300, 100, 100, 100, 100, 0, 0},
        {1, 1000, 10, 100, 1, 100, 0, 0},  // a side that rounds to nothing keeps one pixel
    };
    for (const Case& c : cases) {
        const BoxGeometry g = boxGeometry(c.w, c.h, c.W, c.H);
        EXPECT_EQ(g.intermediateWidth, c.interW) << c.w << "x" << c.h << " in " << c.W << "x" << c.H;
        EXPECT_EQ(g.intermediateHeight, c.interH) << c.w << "x" << c.h << " in " << c.W << "x" << c.H;
        EXPECT_EQ(g.x0, c.x0) << c.w << "x" << c.h << " in " << c.W << "x" << c.H;
        EXPECT_EQ(g.y0, c.y0) << c.w << "x" << c.h << " in " << c.W << "x" << c.H;
    }
}

// The worked examples, observed: which original rows and columns reach the
// output picture of a coordinate original.
class BoxPicture : public testing::Test {
protected:
    Image make(int w, int h, int W, int H)
    {
        const std::filesystem::path original = dir / "original.bmp";
        test::writeBytes(original, encodeBmp(test::coordinatePicture(w, h)));
        Image picture = boxPicture(original, W, H);
        EXPECT_EQ(picture.width, W);
        EXPECT_EQ(picture.height, H);
        return picture;
    }
    test::TempDir dir;
};

TEST_F(BoxPicture, AShortSideIsStretchedFromEveryIntermediateRow)
{
    Image thumb = make(1000, 500, 133, 75);
    EXPECT_EQ(rowsIn(thumb).size(), 67u);
    EXPECT_EQ(columnsIn(thumb).size(), 133u);
    EXPECT_EQ(*rowsIn(thumb).begin(), 3);  // row 0 of 67 comes from the middle of original rows 0..7
    EXPECT_EQ(*rowsIn(thumb).rbegin(), 496);

    Image large = make(1000, 500, 667, 375);
    EXPECT_EQ(rowsIn(large).size(), 333u);
    EXPECT_EQ(columnsIn(large).size(), 667u);
}

TEST_F(BoxPicture, AnOverhangingSideIsCutEquallyAtBothEnds)
{
    // 800 x 600 gives 133 x 100; rows 12 to 87 of it reach the 75 output rows.
    Image thumb = make(800, 600, 133, 75);
    const std::set<int> rows = rowsIn(thumb);
    EXPECT_EQ(rows.size(), 75u);
    EXPECT_EQ(*rows.begin(), 75);    // intermediate row 12 is original row (12.5 * 6) = 75
    EXPECT_EQ(*rows.rbegin(), 525);  // intermediate row 87 is original row 525

    // 500 x 1000 gives 667 x 1334; rows 480 to 853 of it fill the 375 output rows.
    Image large = make(500, 1000, 667, 375);
    EXPECT_EQ(*rowsIn(large).begin(), 360);   // 480.5 * 1000 / 1334; y0 = 479 would give 359
    EXPECT_EQ(*rowsIn(large).rbegin(), 639);  // 853.5 * 1000 / 1334; y0 = 481 would give 640
    EXPECT_EQ(columnsIn(large).size(), 500u);

    // An upright box: 400 x 300 in 100 x 200 gives 267 x 200, columns 84 to 182.
    Image upright = make(400, 300, 100, 200);
    EXPECT_EQ(columnsIn(upright).size(), 99u);
    EXPECT_EQ(*columnsIn(upright).begin(), 126);  // (84.5 * 400 / 267); x0 = 83 would give 125
    EXPECT_EQ(*columnsIn(upright).rbegin(), 273);
    EXPECT_EQ(rowsIn(upright).size(), 200u);
}

TEST_F(BoxPicture, TinyAndFlatOriginalsWork)
{
    const Image one = make(1, 1, 13, 7);
    EXPECT_EQ(columnsIn(one), std::set<int>{0});
    EXPECT_EQ(rowsIn(one), std::set<int>{0});

    const std::filesystem::path flat = dir / "flat.bmp";
    test::writeBytes(flat, encodeBmp(test::flatPicture(37, 11, Rgb{10, 200, 30})));
    const Image out = boxPicture(flat, 133, 75);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            ASSERT_EQ(out.at(x, y), (Rgb{10, 200, 30}));
}

}  // namespace
}  // namespace pictavo::pictures
