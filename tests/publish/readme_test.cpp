#include "publish/readme.h"

#include "platform/file_reader.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pictavo::publish {
namespace {

model::TItemData pictures(const std::string& thumb, const std::string& large)
{
    model::TItemData item;
    item.ThumbImageName = thumb;
    item.LargeImageName = large;
    return item;
}

TEST(Readme, ListsEachPictureOnceThumbnailsFirst)
{
    test::TempDir dir;
    model::TAppletAgent agent;
    agent.LinkedFiles[3].FileName = "gconfig.xml";
    agent.Items = {pictures("p0_t.jpg", "p0_l.jpg"), pictures("", ""), pictures("p0_t.jpg", "P0_L.jpg"),
                   pictures("p3_t.gif", "p0_l.jpg")};
    test::RecordingProgress progress;
    WriteReadme(agent, dir.path(), "g_readme.txt", progress);
    const auto lines = platform::splitLines(test::readBytes(dir / "g_readme.txt"));
    ASSERT_EQ(lines.size(), 44u);
    EXPECT_EQ(lines[0], std::string(143, '='));
    EXPECT_EQ(lines[11], "  gconfig.xml");
    EXPECT_THAT(std::vector<std::string>(lines.begin() + 13, lines.begin() + 19),
                testing::ElementsAre("[Image and/or Sound File(s)]:", "  p0_t.jpg", "  p3_t.gif", "  p0_l.jpg",
                                     "  P0_L.jpg", ""));
    EXPECT_EQ(lines.back(), std::string(143, '='));
    EXPECT_EQ(progress.maximum, 101);
    EXPECT_EQ(progress.steps, 104);
    EXPECT_EQ(progress.calls.front(), "maximum 101");

    agent.Items.clear();
    WriteReadme(agent, dir.path(), "g_readme.txt", progress);
    const auto empty = platform::splitLines(test::readBytes(dir / "g_readme.txt"));
    ASSERT_EQ(empty.size(), 40u);
    EXPECT_EQ(empty[13], "[Image and/or Sound File(s)]:");
    EXPECT_EQ(empty[14], "");
}

}  // namespace
}  // namespace pictavo::publish
