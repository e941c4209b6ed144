#include "build/embedding_page.h"

#include "platform/file_reader.h"
#include "support/temp_dir.h"
#include "support/user_error_of.h"

#include <gtest/gtest.h>

namespace pictavo::build {
namespace {

class EmbeddingPage : public testing::Test {
protected:
    EmbeddingPage() { agent.ResetToDefaults(); }

    std::vector<std::string> lines()
    {
        WriteEmbeddingPage(agent, dir / "page.html");
        return platform::splitLines(test::readBytes(dir / "page.html"));
    }

    test::TempDir dir;
    model::TAppletAgent agent;
};

TEST_F(EmbeddingPage, HasThirtyNineLinesAndAnEmptySourceWithoutItems)
{
    const auto page = lines();
    ASSERT_EQ(page.size(), 39u);
    EXPECT_EQ(page[26], "\t\t<div id=\"gallery1_img_alt\"><img src=\"\" width=\"667\" height=\"450\" border=\"0\" /></div>");
}

TEST_F(EmbeddingPage, KindsCountInAnyCaseAndTheLeadingPathReachesTheAlternativePicture)
{
    agent.LinkedFiles.push_back({"style.css", "CSS", false});
    agent.LinkedFiles.push_back({"extra.js", "Js", false});
    agent.AppletData.pImageLeadingPathEnabled = "1";
    agent.AppletData.pImageLeadingPath = "images/";
    agent.AppletData.pPreviewBgColor = "12AB34";
    model::TItemData item = model::TAppletAgent::NewItemData();
    item.LargeImageName = "p0_l.gif";
    agent.Items.push_back(item);
    const auto page = lines();
    ASSERT_EQ(page.size(), 41u);
    EXPECT_EQ(page[10], "<LINK href=\"./style.css\" type=\"text/css\" rel=\"stylesheet\" />");
    EXPECT_EQ(page[11], "<SCRIPT language=\"javascript\" type=\"text/javascript\" src=\"./swfobject.js\"></SCRIPT>");
    EXPECT_EQ(page[12], "<SCRIPT language=\"javascript\" type=\"text/javascript\" src=\"./extra.js\"></SCRIPT>");
    EXPECT_EQ(page[17], "<body bgcolor=\"#12AB34\">");
    EXPECT_NE(page[28].find("<img src=\"images/p0_l.gif\""), std::string::npos);
}

TEST_F(EmbeddingPage, OddValuesAreEscapedForWhereTheyStand)
{
    agent.AppletData.pScriptName = "Tom's \"best\" <b>&</b>";
    agent.AppletData.pPreviewBgColor = "\"><x";
    const auto page = lines();
    EXPECT_EQ(page[15], "<body bgcolor=\"#&quot;&gt;&lt;x\">");
    EXPECT_EQ(page[26].substr(0, 65), "\t\t<div id=\"Tom's&quot;best&quot;&lt;b&gt;&amp;&lt;/b&gt;_img_alt\"");
    EXPECT_EQ(page[30],
              "\t\t\t\tvar attributes = { id: \"Tom\\'s\\\"best\\\"\\x3Cb\\x3E&\\x3C/b\\x3E\" };");
    EXPECT_NE(page[28].find("xmlPath: \"Tom\\'s\\\"best\\\"\\x3Cb\\x3E&\\x3C/b\\x3Econfig.xml\""), std::string::npos);

    EXPECT_EQ(htmlAttribute("plain text 1/2"), "plain text 1/2");
    EXPECT_EQ(javaScriptString("plain text 1/2"), "plain text 1/2");
    EXPECT_EQ(javaScriptString("a\\b\tc"), "a\\\\b\\x09c");
}

TEST_F(EmbeddingPage, AMissingFolderIsAnInvalidFilename)
{
    EXPECT_EQ(test::userErrorOf([&] { WriteEmbeddingPage(agent, dir / "none" / "page.html"); }),
              "Invalid filename: \"" + (dir / "none" / "page.html").string() + "\"");
    agent.AppletData.thumbImageHeight = "";
    EXPECT_EQ(test::userErrorOf([&] { WriteEmbeddingPage(agent, dir / "page.html"); }),
              "'' is not a valid integer value");
}

}  // namespace
}  // namespace pictavo::build
