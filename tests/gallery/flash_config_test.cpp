#include "gallery/flash_config.h"

#include "support/temp_dir.h"
#include "support/user_error_of.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace pictavo::gallery {
namespace {

using model::TAppletAgent;
using model::TItemData;
using test::readBytes;
using test::TempDir;
using test::userErrorOf;

const char* const defaultParameters =
    "  <item param=\"enableAutoPlay\" value=\"1\"/>\r\n"
    "  <item param=\"autoPlayDelay\" value=\"5\"/>\r\n"
    "  <item param=\"thumbImageWidth\" value=\"133\"/>\r\n"
    "  <item param=\"thumbImageHeight\" value=\"75\"/>\r\n"
    "  <item param=\"largeImageWidth\" value=\"667\"/>\r\n"
    "  <item param=\"largeImageHeight\" value=\"375\"/>\r\n"
    "  <item param=\"thumbImagesX\" value=\"0\"/>\r\n"
    "  <item param=\"thumbImagesY\" value=\"375\"/>\r\n"
    "  <item param=\"thumbImagesHorizontalPadding\" value=\"0\"/>\r\n"
    "  <item param=\"thumbImageShadowAlpha\" value=\"30\"/>\r\n"
    "  <item param=\"playButtonX\" value=\"3\"/>\r\n"
    "  <item param=\"playButtonY\" value=\"2\"/>\r\n"
    "  <item param=\"playButtonVisible\" value=\"1\"/>\r\n"
    "  <item param=\"prevButtonX\" value=\"27\"/>\r\n"
    "  <item param=\"prevButtonY\" value=\"2\"/>\r\n"
    "  <item param=\"prevButtonVisible\" value=\"1\"/>\r\n"
    "  <item param=\"nextButtonX\" value=\"51\"/>\r\n"
    "  <item param=\"nextButtonY\" value=\"2\"/>\r\n"
    "  <item param=\"nextButtonVisible\" value=\"1\"/>\r\n"
    "  <item param=\"focusedBoxBorderWidth\" value=\"3\"/>\r\n"
    "  <item param=\"focusedBoxBorderColor\" value=\"0xFFFF00\"/>\r\n"
    "  <item param=\"focusedBoxBorderAlpha\" value=\"80\"/>\r\n"
    "  <item param=\"showDescriptionBox\" value=\"0\"/>\r\n"
    "  <item param=\"descriptionBoxX\" value=\"0\"/>\r\n"
    "  <item param=\"descriptionBoxY\" value=\"267\"/>\r\n"
    "  <item param=\"descriptionBoxHeight\" value=\"75\"/>\r\n"
    "  <item param=\"showThumbImageTooltip\" value=\"0\"/>\r\n"
    "  <item param=\"thumbImageTooltipX\" value=\"10\"/>\r\n"
    "  <item param=\"thumbImageTooltipY\" value=\"4\"/>\r\n"
    "  <item param=\"thumbImagesBarWidth\" value=\"667\"/>\r\n"
    "  <item param=\"imageTitleFontColor\" value=\"0xFFFF00\"/>\r\n"
    "  <item param=\"imageTitleFontSize\" value=\"20\"/>\r\n"
    "  <item param=\"imageTooltipFontColor\" value=\"0xFFFFFF\"/>\r\n"
    "  <item param=\"imageTooltipFontSize\" value=\"10\"/>\r\n"
    "  <item param=\"imageDescFontColor\" value=\"0xC0C0C0\"/>\r\n"
    "  <item param=\"imageDescFontSize\" value=\"10\"/>\r\n";

TItemData beach()
{
    TItemData item = TAppletAgent::NewItemData();
    item.ThumbImageName = "p0_t.jpg";
    item.LargeImageName = "p0_l.jpg";
    item.OriginalImagePath = "/photos/beach.jpg";
    item.ToolTip = "Beach";
    item.Level = "0";
    return item;
}

class FlashConfig : public testing::Test {
protected:
    FlashConfig() { agent.ResetToDefaults(); }

    std::string write()
    {
        const std::filesystem::path path = WriteFlashConfig(agent, dir.path());
        EXPECT_EQ(path, dir / ConfigFileName(agent.AppletData));
        return readBytes(path);
    }

    // Writes the file and parses it back, failing the test when it is not XML.
    pugi::xml_node written()
    {
        const std::string text = write();
        const pugi::xml_parse_result result = document.load_buffer(text.data(), text.size());
        EXPECT_TRUE(result) << result.description();
        return document.child("tvimagegallery");
    }

    pugi::xml_node galleryItem(int index)
    {
        int seen = 0;
        for (pugi::xml_node child : written().children("item"))
            if (child.attribute("thumbimage") && seen++ == index)
                return child;
        return {};
    }

    TempDir dir;
    TAppletAgent agent;
    pugi::xml_document document;
};

TEST_F(FlashConfig, NamesFollowTheGalleryNameWithoutBlanks)
{
    EXPECT_EQ(ConfigFileName(agent.AppletData), "gallery1config.xml");
    agent.AppletData.pScriptName = " My Gallery ";
    EXPECT_EQ(GalleryId(agent.AppletData), "MyGallery");
    EXPECT_EQ(ConfigFileName(agent.AppletData), "MyGalleryconfig.xml");
    agent.AppletData.pScriptName = "Tab\there";
    EXPECT_EQ(GalleryId(agent.AppletData), "Tab\there");
    agent.AppletData.pScriptName = "";
    EXPECT_EQ(ConfigFileName(agent.AppletData), "config.xml");
}

TEST_F(FlashConfig, AOneItemProjectGivesTheFortyOneLinesByteForByte)
{
    agent.Items.push_back(beach());
    const std::string expected = std::string("<tvimagegallery>\r\n") + defaultParameters +
                                 "  <item thumbimage=\"p0_t.jpg\" largeimage=\"p0_l.jpg\" title=\"Beach\" url=\"\" "
                                 "target=\"_self\">\r\n"
                                 "    <![CDATA[&nbsp;]]>\r\n"
                                 "  </item>\r\n"
                                 "</tvimagegallery>\r\n";
    EXPECT_EQ(write(), expected);
}

TEST_F(FlashConfig, AProjectWithoutItemsHasOnlyTheParameters)
{
    EXPECT_EQ(write(), std::string("<tvimagegallery>\r\n") + defaultParameters + "</tvimagegallery>\r\n");
}

TEST_F(FlashConfig, DerivedValuesIgnoreTheirOwnFields)
{
    for (int position : {8, 9, 25, 26, 31})
        agent.AppletData.field(position) = "garbage";
    agent.AppletData.largeImageHeight = "100";
    agent.AppletData.largeImageWidth = "0500";
    agent.AppletData.descriptionBoxHeight = "+200";
    agent.AppletData.focusedBoxBorderColor = "abcdef";
    agent.AppletData.autoPlayDelay = "not checked";
    const pugi::xml_node root = written();
    auto value = [&](const char* param) {
        return std::string(root.find_child_by_attribute("item", "param", param).attribute("value").value());
    };
    EXPECT_EQ(value("thumbImagesX"), "0");
    EXPECT_EQ(value("thumbImagesY"), "100");
    EXPECT_EQ(value("descriptionBoxX"), "0");
    EXPECT_EQ(value("descriptionBoxY"), "-133");
    EXPECT_EQ(value("thumbImagesBarWidth"), "0500");
    EXPECT_EQ(value("focusedBoxBorderColor"), "0xabcdef");
    EXPECT_EQ(value("autoPlayDelay"), "not checked");
}

TEST_F(FlashConfig, ANonIntegerHeightStopsBeforeAnyFileIsWritten)
{
    agent.AppletData.descriptionBoxHeight = "";
    EXPECT_EQ(userErrorOf([&] { WriteFlashConfig(agent, dir.path()); }), "'' is not a valid integer value");
    agent.AppletData.descriptionBoxHeight = "75";
    agent.AppletData.largeImageHeight = "3.5";
    EXPECT_EQ(userErrorOf([&] { WriteFlashConfig(agent, dir.path()); }), "'3.5' is not a valid integer value");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(FlashConfig, ItemValuesArriveIntactWhateverTheyHold)
{
    struct Case {
        std::string title;
        std::string description;
        std::string expectedTitle;
        std::string expectedDescription;
    };
    const Case cases[] = {
        {"A & B < C > \"D\" 'E'", "  around  ", "A & B < C > \"D\" 'E'", "  around  "},
        {"", " \t ", "", "&nbsp;"},
        {"", "", "", "&nbsp;"},
        {"Caf\xE9", "<b>\xE9t\xE9</b>", "Caf\xC3\xA9", "<b>\xC3\xA9t\xC3\xA9</b>"},
        {"tab\there", "ends ]]> here ]]>", "tab\there", "ends ]]> here ]]>"},
        {std::string("bell\x07 nul\x01") + "\xEF\xBF\xBF", "\x1b[0m\x0c", "bell nul", "[0m"},
    };
    for (const Case& c : cases) {
        TItemData item = beach();
        item.ToolTip = c.title;
        item.Description = c.description;
        item.Link = "http://example.com/?a=1&b=\"2\"";
        item.Target = "<_blank>";
        agent.Items = {item};
        const pugi::xml_node element = galleryItem(0);
        ASSERT_TRUE(element) << c.title;
        EXPECT_EQ(element.attribute("title").value(), c.expectedTitle);
        EXPECT_EQ(element.attribute("url").value(), item.Link);
        EXPECT_EQ(element.attribute("target").value(), item.Target);
        std::string description;
        for (pugi::xml_node child : element.children())
            if (child.type() == pugi::node_cdata)
                description += child.value();
        EXPECT_EQ(description, c.expectedDescription) << c.title;
    }
}

TEST_F(FlashConfig, AttributesAreEscapedByTheDocumentWriter)
{
    TItemData item = beach();
    item.ToolTip = "A & B < \"C\"";
    agent.Items = {item};
    EXPECT_NE(write().find("title=\"A &amp; B &lt; &quot;C&quot;\""), std::string::npos);
}

TEST_F(FlashConfig, TheLeadingPathPrefixesPictureNamesOnlyWhenEnabledWithExactlyOne)
{
    agent.Items = {beach()};
    agent.AppletData.pImageLeadingPath = "images/";
    for (const char* enabled : {"0", "yes", " 1", ""}) {
        agent.AppletData.pImageLeadingPathEnabled = enabled;
        EXPECT_STREQ(galleryItem(0).attribute("thumbimage").value(), "p0_t.jpg") << enabled;
    }
    agent.AppletData.pImageLeadingPathEnabled = "1";
    EXPECT_STREQ(galleryItem(0).attribute("thumbimage").value(), "images/p0_t.jpg");
    EXPECT_STREQ(galleryItem(0).attribute("largeimage").value(), "images/p0_l.jpg");
    agent.AppletData.pImageLeadingPath = "web";
    EXPECT_STREQ(galleryItem(0).attribute("largeimage").value(), "webp0_l.jpg");
}

}  // namespace
}  // namespace pictavo::gallery
