#include "gallery/embedding_page.h"

#include "platform/file_reader.h"
#include "support/temp_dir.h"
#include "support/user_error_of.h"

#include <gtest/gtest.h>

namespace pictavo::gallery {
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
    agent.LinkedFiles.push_back({"style #1.css", "CSS", false});
    agent.LinkedFiles.push_back({"extra.js", "Js", false});
    agent.AppletData.pImageLeadingPathEnabled = "1";
    agent.AppletData.pImageLeadingPath = "images/";
    agent.AppletData.pPreviewBgColor = "12AB34";
    model::TItemData item = model::TAppletAgent::NewItemData();
    item.LargeImageName = "p0_l.gif";
    agent.Items.push_back(item);
    const auto page = lines();
    ASSERT_EQ(page.size(), 41u);
    EXPECT_EQ(page[10], "<LINK href=\"./style%20%231.css\" type=\"text/css\" rel=\"stylesheet\" />");
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
    EXPECT_NE(page[28].find("xmlPath: \"Tom%27s%22best%22%3Cb%3E%26%3C%2Fb%3Econfig.xml\""), std::string::npos);
}

TEST_F(EmbeddingPage, AnyNameIsWrittenInAsciiAndTheConfigurationAsAnAddress)
{
    agent.AppletData.pScriptName = "Caf\xC3\xA9 #1 \xF0\x9F\x98\x80";
    agent.AppletData.pImageLeadingPathEnabled = "1";
    agent.AppletData.pImageLeadingPath = "images%20x/\xC3\xA4&/";
    model::TItemData item = model::TAppletAgent::NewItemData();
    item.LargeImageName = "p0_l.jpg";
    agent.Items.push_back(item);
    const auto page = lines();
    ASSERT_EQ(page.size(), 39u);
    EXPECT_EQ(page[26], "\t\t<div id=\"Caf&#xE9;#1&#x1F600;_img_alt\"><img src=\"images%20x/&#xE4;&amp;/p0_l.jpg\" "
                        "width=\"667\" height=\"450\" border=\"0\" /></div>");
    EXPECT_EQ(page[28], "\t\t\t\tvar flashvars = { width: \"667\", height: \"450\", xmlPath: "
                        "\"Caf%C3%A9%231%F0%9F%98%80config.xml\" };");
    EXPECT_EQ(page[30], "\t\t\t\tvar attributes = { id: \"Caf\\u00E9#1\\uD83D\\uDE00\" };");
    EXPECT_EQ(page[31], "\t\t\t\tswfobject.embedSWF(\"./imagegallery.swf\", \"Caf\\u00E9#1\\uD83D\\uDE00_img_alt\", "
                        "\"667\", \"450\", \"9.0.0\", \"./expressinstall.swf\", flashvars, params, attributes);");
    for (const std::string& line : page)
        for (char c : line)
            ASSERT_LT(static_cast<unsigned char>(c), 0x80) << line;
}

struct Escaped {
    std::string text;
    std::string html;
    std::string script;
};

TEST(PageEscaping, HtmlAndScriptReadTheSameCharacters)
{
    const Escaped cases[] = {
        {"plain text 1/2", "plain text 1/2", "plain text 1/2"},
        {"quote\"back\\slash", "quote&quot;back\\slash", "quote\\\"back\\\\slash"},
        {"<b>&amp;</script>", "&lt;b&gt;&amp;amp;&lt;/script&gt;", "\\x3Cb\\x3E&amp;\\x3C/script\\x3E"},
        {"a\\b\tc\x7F", "a\\b&#x9;c&#x7F;", "a\\\\b\\x09c\\x7F"},
        {"Caf\xC3\xA9", "Caf&#xE9;", "Caf\\u00E9"},
        {"Caf\xE9", "Caf&#xE9;", "Caf\\u00E9"},                      // Windows-1252
        {"\xE2\x80\xA8\xEF\xBF\xBF", "&#x2028;&#xFFFF;", "\\u2028\\uFFFF"},
        {"\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", "&#x1F600;&#x10FFFF;", "\\uD83D\\uDE00\\uDBFF\\uDFFF"},
        // HTML reads a reference to U+0080 as the euro sign: the script names the same.
        {"\xC2\x80\xC2\x81", "&#x20AC;&#x81;", "\\u20AC\\u0081"},
        {"\x80\x81", "&#x20AC;&#x81;", "\\u20AC\\u0081"},
    };
    for (const Escaped& c : cases) {
        EXPECT_EQ(htmlAttribute(c.text), c.html) << c.text;
        EXPECT_EQ(javaScriptString(c.text), c.script) << c.text;
    }
}

TEST(PageEscaping, AFileNameIsPercentEncodedButForUnreservedCharacters)
{
    const std::pair<std::string, std::string> cases[] = {
        {"gallery1config.xml", "gallery1config.xml"},
        {"AZaz09-._~", "AZaz09-._~"},
        {"a#b?c%d", "a%23b%3Fc%25d"},
        {" /:\\\"'<>&+;=@!$()*,[]", "%20%2F%3A%5C%22%27%3C%3E%26%2B%3B%3D%40%21%24%28%29%2A%2C%5B%5D"},
        {"Caf\xC3\xA9\xF0\x9F\x98\x80", "Caf%C3%A9%F0%9F%98%80"},
        {"Caf\xE9", "Caf%E9"},  // the bytes that name the file
    };
    for (const auto& [name, address] : cases)
        EXPECT_EQ(urlPathSegment(name), address);
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
}  // namespace pictavo::gallery
