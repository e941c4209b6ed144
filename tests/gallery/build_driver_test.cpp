#include "gallery/build_driver.h"

#include "pictures/bmp_codec.h"
#include "platform/file_reader.h"
#include "support/items.h"
#include "support/pictures.h"
#include "support/recording_progress.h"
#include "support/user_error_of.h"
#include "support/user_folders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pictavo::gallery {
namespace {

using testing::ElementsAre;

TEST(ReplacePrefix, ReplacesEveryOccurrenceRegardlessOfCase)
{
    struct Case {
        const char* link;
        const char* from;
        const char* to;
        const char* result;
    };
    const Case cases[] = {
        {"C:/Site/a.html", "c:/site", "http://www.x.com", "http://www.x.com/a.html"},
        {"http://WWW.X.COM/a.html", "http://www.x.com", "C:/Site", "C:/Site/a.html"},
        {"/a/x/a/y", "/A", "/b", "/b/x/b/y"},
        {"none here", "/a", "/b", "none here"},
        {"", "/a", "/b", ""},
        {"aaa", "aa", "b", "ba"},  // replaced text is not scanned again
        // A prefix that occurs inside the other one is left where the other one stands.
        {"http://host/site/a.html", "/site", "http://host/site", "http://host/site/a.html"},
        {"/site/a.html", "/site", "http://host/site", "http://host/site/a.html"},
        {"HTTP://HOST/SITE/x /site/y", "/site", "http://host/site", "HTTP://HOST/SITE/x http://host/site/y"},
        {"http://host/site/a.html", "http://host/site", "/site", "/site/a.html"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(replacePrefix(c.link, c.from, c.to), c.result) << c.link;
}

class BuildDriver : public testing::Test {
protected:
    BuildDriver()
    {
        agent.ResetToDefaults();
        test::writeBytes(originals / "a.bmp", encodeBmp(test::coordinatePicture(8, 6)));
    }

    void addItem(const std::string& level, const std::string& link = "")
    {
        model::TItemData item = test::itemWithOriginal(originals / "a.bmp", level);
        item.Link = link;
        agent.Items.push_back(item);
        outline = model::rebuildOutline(agent.Items);
    }

    test::UserFolders user;
    test::TempDir originals;
    test::TempDir site;
    model::TAppletAgent agent;
    model::Outline outline;
    test::RecordingProgress progress;
};

TEST_F(BuildDriver, PrepareItemLinksSetsLevelsAndRewritesOnlyWithBothPrefixes)
{
    addItem("0", "/loc/a.html");
    addItem("1", "/loc/b.html");
    addItem("7", "http://web/c.html");  // read as level 2
    for (model::TItemData& item : agent.Items)
        item.Level = "junk";  // the outline, not the stored text, decides

    agent.AppletData.InternalUse_RootDir_Local = "/loc";
    agent.AppletData.InternalUse_RootDir_Remote = "  \t";
    agent.AppletData.InternalUse_RootDir_Local_Checked = "0";
    PrepareItemLinks(agent, outline);
    EXPECT_EQ(agent.Items[0].Level, "0");
    EXPECT_EQ(agent.Items[1].Level, "1");
    EXPECT_EQ(agent.Items[2].Level, "2");
    EXPECT_EQ(agent.Items[0].Link, "/loc/a.html");

    agent.AppletData.InternalUse_RootDir_Remote = "http://web";
    PrepareItemLinks(agent, outline);
    EXPECT_EQ(agent.Items[0].Link, "http://web/a.html");
    EXPECT_EQ(agent.Items[2].Link, "http://web/c.html");

    agent.AppletData.InternalUse_RootDir_Local_Checked = "1";
    PrepareItemLinks(agent, outline);
    EXPECT_EQ(agent.Items[1].Link, "/loc/b.html");
    EXPECT_EQ(agent.Items[2].Link, "/loc/c.html");
}

TEST_F(BuildDriver, BuildsPicturesConfigurationAndPageInOrder)
{
    addItem("0");
    agent.AppletData.pScriptName = "My Gallery";
    BuildGallery(agent, outline, site / "page.html", progress);
    EXPECT_EQ(agent.LinkedFiles[3].FileName, "MyGalleryconfig.xml");
    EXPECT_THAT(agent.WorkingFiles, ElementsAre("p0_t.bmp", "p0_l.bmp", "MyGalleryconfig.xml"));
    EXPECT_THAT(test::folderListing(user.tempFolder()), testing::IsEmpty());
    EXPECT_THAT(test::folderListing(site.path()), ElementsAre("page.html"));
    EXPECT_EQ(progress.calls.front(), "hint Making HTML Codes ... ...");
    EXPECT_EQ(progress.hint, "");
    EXPECT_FALSE(progress.busy);
}

TEST_F(BuildDriver, ANonIntegerHeightStopsBeforeConfigurationAndPage)
{
    addItem("0");
    agent.AppletData.thumbImageHeight = "75";
    agent.AppletData.descriptionBoxHeight = "x";
    EXPECT_EQ(test::userErrorOf([&] { BuildGallery(agent, outline, site / "page.html", progress); }),
              "'x' is not a valid integer value");
    EXPECT_THAT(test::folderListing(user.previewFolder()), ElementsAre("p0_l.bmp", "p0_t.bmp"));
    EXPECT_THAT(test::folderListing(site.path()), testing::IsEmpty());
}

}  // namespace
}  // namespace pictavo::gallery
