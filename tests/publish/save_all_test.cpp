#include "publish/save_all.h"

#include "pictures/bmp_codec.h"
#include "support/items.h"
#include "support/pictures.h"
#include "support/recording_progress.h"
#include "support/user_error_of.h"
#include "support/user_folders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pictavo::publish {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

TEST(SaveAll, TheBaseNameLosesEveryOccurrenceOfTheExtension)
{
    struct Case {
        const char* chosen;
        const char* base;
    };
    const Case cases[] = {
        {"gallery.tvgallery1", "gallery"}, {"gallery", "gallery"},       {"gallery.txt", "gallery"},
        {"Summer.Html.html", "Summer"},    {"a.b.c", "a.b"},             {"x.TXT.txt.y", "x.TXT.txt"},
        {".hidden", ""},                   {"name.", "name"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BaseName(c.chosen), c.base) << c.chosen;
}

TEST(SaveAll, TheProjectFileIsTheChosenOneWhenItNamesAProjectFile)
{
    EXPECT_EQ(ProjectFileName("gallery.tvgallery1"), "gallery.tvgallery1");
    EXPECT_EQ(ProjectFileName("Trip.TVGALLERY1"), "Trip.TVGALLERY1");
    EXPECT_EQ(ProjectFileName("gallery"), "gallery.tvgallery1");
    EXPECT_EQ(ProjectFileName("holiday.bak"), "holiday.tvgallery1");

    // A name chosen without the extension must not replace another file unasked.
    test::TempDir folder;
    EXPECT_EQ(ProjectFileReplacedUnasked(folder.path(), "holiday.bak", {}), std::nullopt);
    test::writeBytes(folder / "holiday.tvgallery1", "another project");
    EXPECT_EQ(ProjectFileReplacedUnasked(folder.path(), "holiday.bak", folder / "holiday.bak"),
              folder / "holiday.tvgallery1");
    EXPECT_EQ(ProjectFileReplacedUnasked(folder.path(), "holiday.bak", folder / "holiday.tvgallery1"), std::nullopt);
    EXPECT_EQ(ProjectFileReplacedUnasked(folder.path(), "holiday.tvgallery1", {}), std::nullopt);
}

// A project of BMP originals published into a site folder.
class Publish : public testing::Test {
protected:
    Publish()
    {
        agent.ResetToDefaults();
        for (const char* name : {"a.bmp", "b.bmp"}) {
            test::writeBytes(originals / name, pictures::encodeBmp(test::coordinatePicture(40, 30)));
            agent.Items.push_back(test::itemWithOriginal(originals / name));
        }
        outline = model::rebuildOutline(agent.Items);
    }

    std::string save(const std::string& name = "g.tvgallery1", OtherGalleries others = OtherGalleries::Refuse)
    {
        return test::userErrorOf([&] { SaveAllRequiredFiles(agent, outline, site.path(), name, progress, others); });
    }

    test::UserFolders user;
    test::TempDir originals;
    test::TempDir site;
    model::TAppletAgent agent;
    model::Outline outline;
    test::RecordingProgress progress;
};

TEST_F(Publish, OnlyThePicturesOfThisBuildArePublished)
{
    // Another project's build left its pictures in this run's Preview
    // folder; this project's second original has gone, and its saved names
    // still point at those files.
    std::filesystem::create_directories(user.previewFolder());
    test::writeBytes(user.previewFolder() / "p1_t.bmp", "another project's thumbnail");
    test::writeBytes(user.previewFolder() / "p1_l.bmp", "another project's picture");
    agent.Items[1].ThumbImageName = "p1_t.bmp";
    agent.Items[1].LargeImageName = "p1_l.bmp";
    std::filesystem::remove(originals / "b.bmp");
    ASSERT_EQ(save(), "<no error>");
    EXPECT_THAT(test::folderListing(site.path()),
                ElementsAre("expressinstall.swf", "g.html", "g.tvgallery1", "g_readme.txt", "gallery1config.xml",
                            "imagegallery.swf", "p0_l.bmp", "p0_t.bmp", "swfobject.js"));
    EXPECT_THAT(progress.warnings,
                ElementsAre("item 1: original picture not found: " + (originals / "b.bmp").string(),
                            "item 1: p1_t.bmp and p1_l.bmp of its last build are not in \"" + site.path().string() +
                                "\": the gallery shows no picture for it"));

    // Published again into the same folder, the item's pictures of its last
    // build are there.
    test::writeBytes(originals / "b.bmp", pictures::encodeBmp(test::coordinatePicture(40, 30)));
    ASSERT_EQ(save(), "<no error>");
    std::filesystem::remove(originals / "b.bmp");
    progress.warnings.clear();
    ASSERT_EQ(save(), "<no error>");
    EXPECT_THAT(progress.warnings, ElementsAre("item 1: original picture not found: " + (originals / "b.bmp").string()));
}

TEST_F(Publish, APictureNameFromTheFileIsUsedOnlyWhenItIsOneThisProgramGives)
{
    test::writeBytes(site / ".." / "secret.txt", "not for the gallery");
    agent.Items[1].ThumbImageName = "../secret.txt";
    agent.Items[1].LargeImageName = "p1_l.gif";
    std::filesystem::remove(originals / "b.bmp");
    std::filesystem::create_directories(user.previewFolder());
    test::writeBytes(user.previewFolder() / ".." / ".." / "secret.txt", "not for the gallery either");
    ASSERT_EQ(save(), "<no error>");
    EXPECT_EQ(agent.Items[1].ThumbImageName, "");
    EXPECT_EQ(agent.Items[1].LargeImageName, "p1_l.gif");
    EXPECT_THAT(test::readBytes(site / "gallery1config.xml"), testing::Not(HasSubstr("secret")));
    EXPECT_FALSE(std::filesystem::exists(site / "secret.txt"));
    std::filesystem::remove(site / ".." / "secret.txt");

    // Nor does another item's picture stand in for this one's.
    agent.Items[1].ThumbImageName = "p0_t.bmp";
    agent.Items[1].LargeImageName = "p0_l.bmp";
    ASSERT_EQ(save(), "<no error>");
    EXPECT_EQ(agent.Items[1].ThumbImageName, "");
    EXPECT_EQ(agent.Items[1].LargeImageName, "");
    const std::string config = test::readBytes(site / "gallery1config.xml");
    EXPECT_EQ(config.find("thumbimage=\"p0_t.bmp\""), config.rfind("thumbimage=\"p0_t.bmp\""));
}

TEST_F(Publish, AStagedPictureThatCannotBeCopiedFailsTheSaveNamingIt)
{
    // The picture vanishes from the Preview folder just before it is copied.
    struct Vanishing : test::RecordingProgress {
        std::filesystem::path victim;
        void setHint(const std::string& text) override
        {
            if (text == "Copying Required Files ... ...")
                std::filesystem::remove(victim);
            RecordingProgress::setHint(text);
        }
    } vanishing;
    vanishing.victim = user.previewFolder() / "p1_l.bmp";
    const std::string message = test::userErrorOf(
        [&] { SaveAllRequiredFiles(agent, outline, site.path(), "g.tvgallery1", vanishing, OtherGalleries::Refuse); });
    EXPECT_EQ(message, "File not found: \"" + vanishing.victim.string() + "\"");
}

TEST_F(Publish, AnOriginalWhereAPublishedFileWouldGoStopsTheSaveBeforeAnythingIsWritten)
{
    // The user keeps the first original as p0_l.bmp in the gallery's folder.
    std::filesystem::rename(originals / "a.bmp", site / "p0_l.bmp");
    agent.Items[0].OriginalImagePath = (site / "p0_l.bmp").string();
    const std::string before = test::readBytes(site / "p0_l.bmp");
    EXPECT_EQ(save(), "The original picture \"" + (site / "p0_l.bmp").string() +
                          "\" would be overwritten by the published file \"p0_l.bmp\". Nothing was written: move the "
                          "original out of the gallery's folder, or publish into another folder.");
    EXPECT_THAT(test::folderListing(site.path()), ElementsAre("p0_l.bmp"));
    EXPECT_EQ(test::readBytes(site / "p0_l.bmp"), before);

    // So does one that the published name reaches through a link.
    std::filesystem::rename(site / "p0_l.bmp", originals / "a.bmp");
    std::filesystem::create_symlink(originals / "a.bmp", site / "p0_t.bmp");
    agent.Items[0].OriginalImagePath = (originals / "a.bmp").string();
    EXPECT_THAT(save(), HasSubstr("would be overwritten by the published file \"p0_t.bmp\""));
    EXPECT_EQ(test::readBytes(originals / "a.bmp"), before);
}

TEST_F(Publish, AnotherProjectsGalleryInTheFolderIsReplacedOnlyWhenAskedTo)
{
    ASSERT_EQ(save("first.tvgallery1"), "<no error>");
    const std::string firstThumbnail = test::readBytes(site / "p0_t.bmp");
    test::writeBytes(originals / "a.bmp", pictures::encodeBmp(test::flatPicture(40, 30, pictures::Rgb{1, 2, 3})));

    EXPECT_EQ(save("second.tvgallery1"),
              "The folder \"" + site.path().string() +
                  "\" also holds the gallery \"first.tvgallery1\", whose files this publish would replace "
                  "(gallery1config.xml, p0_l.bmp, p0_t.bmp, p1_l.bmp and 1 more). Give each gallery its own folder.");
    EXPECT_FALSE(std::filesystem::exists(site / "second.tvgallery1"));
    EXPECT_EQ(test::readBytes(site / "p0_t.bmp"), firstThumbnail);

    // Saving the project under its own name again is no conflict.
    EXPECT_EQ(save("first.tvgallery1"), "<no error>");
    EXPECT_EQ(save("second.tvgallery1", OtherGalleries::Replace), "<no error>");
    EXPECT_NE(test::readBytes(site / "p0_t.bmp"), firstThumbnail);
}

TEST_F(Publish, AProjectNameOfTheLongestLengthSavesAndOneWithoutRoomIsRefused)
{
    const std::string longest = std::string(244, 'n') + ".tvgallery1";
    ASSERT_EQ(longest.size(), 255u);
    ASSERT_EQ(save(longest), "<no error>");
    EXPECT_TRUE(std::filesystem::exists(site / longest));
    EXPECT_TRUE(std::filesystem::exists(site / (std::string(244, 'n') + "_readme.txt")));

    test::TempDir other;
    const std::string tooLong = std::string(245, 'n') + ".tvgallery1";
    EXPECT_EQ(test::userErrorOf([&] {
                  SaveAllRequiredFiles(agent, outline, other.path(), tooLong, progress, OtherGalleries::Refuse);
              }),
              "The project name \"" + tooLong + "\" is too long: the gallery's file \"" + std::string(245, 'n') +
                  ".tvgallery1\" would have more than 255 bytes.");
    EXPECT_EQ(test::userErrorOf([&] {
                  SaveAllRequiredFiles(agent, outline, other.path(), ".tvgallery1", progress, OtherGalleries::Refuse);
              }),
              "The project name \".tvgallery1\" leaves no name for the gallery's page: choose a name before the "
              "extension.");
    EXPECT_THAT(test::folderListing(other.path()), IsEmpty());
}

TEST_F(Publish, AGalleryNameThatIsNoFileNameIsRefusedBeforeAnythingIsWritten)
{
    for (const char* name : {"../x/", "a/b", ".hidden"}) {
        agent.AppletData.pScriptName = name;
        EXPECT_THAT(save(), testing::StartsWith(std::string("The gallery name \"") + name + "\" cannot be used: "));
        EXPECT_THAT(test::folderListing(site.path()), IsEmpty());
        EXPECT_THAT(test::folderListing(site.path().parent_path()), testing::Not(testing::Contains("x")));
    }
    agent.AppletData.pScriptName = std::string(246, 'n');
    EXPECT_THAT(save(), HasSubstr("it must not be longer than 255 bytes"));
    agent.AppletData.pScriptName = std::string(245, 'n');
    EXPECT_EQ(save(), "<no error>");
}

}  // namespace
}  // namespace pictavo::publish
