#include "gallery/item_images.h"

#include "pictures/bmp_codec.h"
#include "pictures/jpeg_codec.h"
#include "support/child_process.h"
#include "support/items.h"
#include "support/pictures.h"
#include "support/recording_progress.h"
#include "support/user_error_of.h"
#include "support/user_folders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pictavo::gallery {
namespace {

using pictures::Image;
using pictures::Rgb;

using testing::ElementsAre;
using testing::IsEmpty;

class ItemImages : public testing::Test {
protected:
    ItemImages() { agent.ResetToDefaults(); }

    void addItem(const std::string& path)
    {
        agent.Items.push_back(test::itemWithOriginal(path));
        outline = model::rebuildOutline(agent.Items);
    }

    test::UserFolders user;
    test::TempDir originals;
    model::TAppletAgent agent;
    model::Outline outline;
    test::RecordingProgress progress;
};

TEST_F(ItemImages, MakesThumbnailsThenLargePicturesAndStagesEach)
{
    test::writeJpeg(originals / "Beach.JPEG", test::coordinatePicture(1000, 500), test::JpegKind::Rgb);
    test::writeBytes(originals / "b.bmp", encodeBmp(test::coordinatePicture(40, 30)));
    addItem("  " + (originals / "Beach.JPEG").string() + " ");
    addItem((originals / "missing.jpg").string());
    addItem((originals / "b.bmp").string());
    agent.Items[1].ThumbImageName = "old_t.jpg";

    ProcessItemImages(agent, outline, progress);

    EXPECT_EQ(outline.caption(1), "Beach.JPEG");
    EXPECT_EQ(outline.caption(2), "Warning: Original image not found.");
    EXPECT_EQ(outline.caption(3), "b.bmp");
    EXPECT_EQ(agent.Items[0].ThumbImageName, "p0_t.jpg");
    EXPECT_EQ(agent.Items[0].LargeImageName, "p0_l.jpg");
    EXPECT_EQ(agent.Items[1].ThumbImageName, "old_t.jpg");
    EXPECT_EQ(agent.Items[1].LargeImageName, "");
    EXPECT_EQ(agent.Items[2].ThumbImageName, "p2_t.bmp");
    EXPECT_THAT(agent.WorkingFiles, ElementsAre("p0_t.jpg", "p2_t.bmp", "p0_l.jpg", "p2_l.bmp"));
    EXPECT_THAT(test::folderListing(user.previewFolder()), ElementsAre("p0_l.jpg", "p0_t.jpg", "p2_l.bmp", "p2_t.bmp"));
    EXPECT_THAT(test::folderListing(user.tempFolder()), IsEmpty());

    const Image thumb = test::decodeFile(user.previewFolder() / "p0_t.jpg");
    EXPECT_EQ(thumb.width, 133);
    EXPECT_EQ(thumb.height, 75);
    const Image large = test::decodeFile(user.previewFolder() / "p2_l.bmp");
    EXPECT_EQ(large.width, 667);
    EXPECT_EQ(large.height, 375);

    // Each pass has the node count as maximum and steps once per made picture.
    EXPECT_THAT(progress.calls, ElementsAre("maximum 4", "hint Processing images ...", "busy on", "reset", "hint ",
                                            "busy off", "maximum 4", "hint Processing large images ...", "busy on",
                                            "reset", "hint ", "busy off"));
    EXPECT_EQ(progress.steps, 4);
    EXPECT_THAT(progress.warnings,
                ElementsAre("item 1: original picture not found: " + (originals / "missing.jpg").string()));
}

TEST_F(ItemImages, TellsOfMissingAndDamagedOriginalsOnceEachInItemOrder)
{
    user.set("PICTAVO_WORKERS", "2");
    const std::string whole = encodeJpeg(test::coordinatePicture(300, 200));
    test::writeBytes(originals / "cut.jpg", whole.substr(0, whole.size() / 2));
    test::writeBytes(originals / "whole.jpg", whole);
    test::writeBytes(originals / "cut again.jpg", whole.substr(0, whole.size() / 3));
    addItem((originals / "cut.jpg").string());
    addItem(" " + (originals / "gone.jpg").string());
    addItem((originals / "whole.jpg").string());
    addItem((originals / "cut again.jpg").string());
    addItem("");

    ProcessItemImages(agent, outline, progress);

    const std::string published = "); it was published as far as it could be read";
    EXPECT_THAT(progress.warnings,
                ElementsAre("item 0: the picture " + (originals / "cut.jpg").string() +
                                " is damaged (Premature end of JPEG file" + published,
                            "item 1: original picture not found:  " + (originals / "gone.jpg").string(),
                            "item 3: the picture " + (originals / "cut again.jpg").string() +
                                " is damaged (Premature end of JPEG file" + published,
                            "item 4: no original picture chosen"));
    EXPECT_THAT(agent.WorkingFiles,
                ElementsAre("p0_t.jpg", "p2_t.jpg", "p3_t.jpg", "p0_l.jpg", "p2_l.jpg", "p3_l.jpg"));
}

// Removes originals once the first picture is made, as a user tidying up
// while the build runs might.
class TidyingProgress : public test::RecordingProgress {
public:
    void advance(int by) override
    {
        RecordingProgress::advance(by);
        for (const std::filesystem::path& original : doomed)
            std::filesystem::remove(original);
        doomed.clear();
    }
    std::vector<std::filesystem::path> doomed;
};

// The thumbnail pass skips the items whose originals went away; the workers,
// a few jobs ahead, must go on to the items it asks for next.
TEST_F(ItemImages, OriginalsThatGoAwayDuringTheBuildNeverStallIt)
{
    user.set("PICTAVO_WORKERS", "2");
    TidyingProgress tidying;
    for (int n = 0; n < 12; ++n) {
        const std::filesystem::path original = originals / ("o" + std::to_string(n) + ".bmp");
        test::writeBytes(original, encodeBmp(test::coordinatePicture(40, 30)));
        addItem(original.string());
        if (n >= 1 && n <= 8)
            tidying.doomed.push_back(original);
    }
    // In a child process, which is killed if it still runs after a minute.
    const std::optional<std::string> made = test::runInChild(
        [&] {
            ProcessItemImages(agent, outline, tidying);
            std::string files;
            for (const std::string& name : agent.WorkingFiles)
                files += name + " ";
            return files + std::to_string(tidying.warnings.size()) + " warnings";
        },
        std::chrono::seconds(60));
    EXPECT_EQ(made, std::optional<std::string>("p0_t.bmp p9_t.bmp p10_t.bmp p11_t.bmp p0_l.bmp p9_l.bmp p10_l.bmp "
                                               "p11_l.bmp 8 warnings"))
        << "the build failed or still ran after a minute";
}

TEST_F(ItemImages, AGifOriginalGivesGifPictures)
{
    test::writeGif(originals / "anim.gif", 2, 2, {Rgb{255, 0, 0}, Rgb{0, 0, 255}},
                   {test::GifFrame{0, 0, 2, 2, false, {}, -1, {0, 1, 1, 0}}});
    addItem((originals / "anim.gif").string());
    ProcessItemImages(agent, outline, progress);
    EXPECT_EQ(agent.Items[0].ThumbImageName, "p0_t.gif");
    EXPECT_EQ(agent.Items[0].LargeImageName, "p0_l.gif");
    const Image thumb = test::decodeFile(user.previewFolder() / "p0_t.gif");
    EXPECT_EQ(thumb.width, 133);
    EXPECT_EQ(thumb.at(0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(thumb.at(132, 0), (Rgb{0, 0, 255}));
}

TEST_F(ItemImages, TheFirstFailureStopsTheBuildWithItsMessage)
{
    test::writeBytes(originals / "a.bmp", encodeBmp(test::coordinatePicture(4, 4)));
    test::writeBytes(originals / "b.png", "png");
    test::writeBytes(originals / "c.jpg", "not a jpeg");
    addItem((originals / "a.bmp").string());

    struct Case {
        const char* field;
        const char* value;
        std::string message;
    };
    const Case cases[] = {
        {"thumbImageWidth", "0", "The thumbnail size 0 x 75 has no area: width and height must be at least 1 pixel."},
        {"largeImageHeight", "-5",
         "The large image size 667 x -5 has no area: width and height must be at least 1 pixel."},
        {"thumbImageHeight", "7.5", "'7.5' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        model::TAppletAgent fresh;
        fresh.ResetToDefaults();
        fresh.Items = agent.Items;
        fresh.AppletData.field(model::TAppletData::fieldPosition(c.field)) = c.value;
        EXPECT_EQ(test::userErrorOf([&] { ProcessItemImages(fresh, outline, progress); }), c.message);
    }

    addItem((originals / "b.png").string());
    EXPECT_EQ(test::userErrorOf([&] { ProcessItemImages(agent, outline, progress); }),
              "Unknown picture file extension (.png): \"" + (originals / "b.png").string() + "\"");
    EXPECT_EQ(agent.Items[0].ThumbImageName, "p0_t.bmp");  // made before the failure, and kept
    EXPECT_EQ(agent.Items[0].LargeImageName, "");

    agent.Items.pop_back();
    addItem((originals / "c.jpg").string());
    EXPECT_EQ(test::userErrorOf([&] { ProcessItemImages(agent, outline, progress); }),
              "The picture " + (originals / "c.jpg").string() + " cannot be read: Not a JPEG file: starts with 0x6e 0x6f.");
}

}  // namespace
}  // namespace pictavo::gallery
