#include "model/applet_agent.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <set>

namespace pictavo::model {
namespace {

TItemData named(const std::string& tip)
{
    TItemData item = TAppletAgent::NewItemData();
    item.ToolTip = tip;
    return item;
}

std::vector<std::string> tips(const TAppletAgent& agent)
{
    std::vector<std::string> result;
    for (const TItemData& item : agent.Items)
        result.push_back(item.ToolTip);
    return result;
}

TEST(AppletAgent, ConstructionLeavesEverythingEmptyButTheLinkedFiles)
{
    TAppletAgent agent;
    EXPECT_EQ(agent.AppletData, TAppletData{});
    EXPECT_TRUE(agent.Items.empty());
    EXPECT_TRUE(agent.WorkingFiles.empty());
    EXPECT_EQ(agent.FieldSeparator, "#$@");
    ASSERT_EQ(agent.LinkedFiles.size(), 4u);
    const char* names[] = {"imagegallery.swf", "expressinstall.swf", "swfobject.js", "my_flash_config.xml"};
    const char* kinds[] = {"swf", "swf", "js", "xml"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(agent.LinkedFiles[i].FileName, names[i]);
        EXPECT_EQ(agent.LinkedFiles[i].Kind, kinds[i]);
        EXPECT_EQ(agent.LinkedFiles[i].Generated, i == 3);
    }
}

TEST(AppletAgent, ResetToDefaultsStoresTheDefaultsAndEmptiesTheItems)
{
    TAppletAgent agent;
    agent.Items.push_back(named("old"));
    agent.WorkingFiles.push_back("p0_t.jpg");
    agent.ResetToDefaults();
    const TAppletData& d = agent.AppletData;
    EXPECT_EQ(d.field(1), "gallery1");
    EXPECT_EQ(d.field(43), "1");
    EXPECT_EQ(d.field(40), "");
    EXPECT_EQ(d.field(41), "");
    EXPECT_EQ(d.field(42), "");
    EXPECT_EQ(d.thumbImagesY, "380");
    EXPECT_EQ(d.descriptionBoxY, "267");
    EXPECT_EQ(d.focusedBoxBorderColor, "FFFF00");
    EXPECT_EQ(d.imageDescFontColor, "C0C0C0");
    EXPECT_TRUE(agent.Items.empty());
    EXPECT_THAT(agent.WorkingFiles, testing::ElementsAre("p0_t.jpg"));
}

TEST(AppletAgent, ANewProjectIsTheDefaultsWithTheRootAlone)
{
    TAppletAgent agent;
    agent.AppletData.pScriptName = "old";
    agent.Items = {named("A"), named("B")};
    agent.WorkingFiles.push_back("p0_t.jpg");
    Outline outline;
    outline.appendNode(1, "A.jpg");
    outline.appendNode(2, "B.jpg");
    startNewProject(agent, outline);
    TAppletAgent defaults;
    defaults.ResetToDefaults();
    EXPECT_EQ(agent.AppletData, defaults.AppletData);
    EXPECT_TRUE(agent.Items.empty());
    EXPECT_THAT(agent.WorkingFiles, testing::ElementsAre("p0_t.jpg"));
    ASSERT_EQ(outline.nodeCount(), 1);
    EXPECT_EQ(outline.caption(0), Outline::RootCaption);
}

TEST(AppletData, FieldsAreAddressedByPositionAndByName)
{
    std::set<std::string_view> names;
    TAppletData data;
    for (int position = 1; position <= TAppletData::FieldCount; ++position) {
        const std::string_view name = TAppletData::fieldName(position);
        names.insert(name);
        EXPECT_EQ(TAppletData::fieldPosition(name), position);
        data.field(position) = std::to_string(position);
    }
    EXPECT_EQ(names.size(), 43u);
    EXPECT_EQ(TAppletData::fieldName(1), "pScriptName");
    EXPECT_EQ(TAppletData::fieldName(43), "InternalUse_RootDir_Local_Checked");
    EXPECT_EQ(data.largeImageWidth, "6");
    EXPECT_EQ(data.thumbImagesBarWidth, "31");
    EXPECT_EQ(data.pPreviewBgColor, "38");
    EXPECT_EQ(TAppletData::fieldPosition("largeimagewidth"), 0);
    EXPECT_THROW(data.field(44), std::out_of_range);
    EXPECT_THROW(data.field(0), std::out_of_range);

    TItemData item;
    for (int position = 1; position <= TItemData::FieldCount; ++position)
        item.field(position) = TItemData::fieldName(position);
    EXPECT_EQ(item.OriginalImagePath, "OriginalImagePath");
    EXPECT_EQ(item.Level, "Level");
    EXPECT_EQ(TItemData::fieldPosition("Reserved"), 9);
}

TEST(AppletAgent, NewItemDataHasOnlyItsTarget)
{
    TItemData expected;
    expected.Target = "_self";
    EXPECT_EQ(TAppletAgent::NewItemData(), expected);
}

TEST(AppletAgent, RecordsAreCopiedInAndOut)
{
    TAppletAgent agent;
    agent.InsertItem(0, named("A"));
    TItemData copy = agent.GetItem(0);
    copy.ToolTip = "changed";
    EXPECT_EQ(agent.GetItem(0).ToolTip, "A");
    agent.SetItem(0, copy);
    EXPECT_EQ(agent.GetItem(0).ToolTip, "changed");

    TAppletData data = agent.GetAppletData();
    data.pScriptName = "x";
    EXPECT_EQ(agent.AppletData.pScriptName, "");
    agent.SetAppletData(data);
    EXPECT_EQ(agent.AppletData.pScriptName, "x");
}

struct ListCase {
    const char* what;
    std::vector<std::string> before;
    void (*operation)(TAppletAgent&);
    std::vector<std::string> after;
};

TEST(AppletAgent, ItemListOperationsChangeTheListOrLeaveItAlone)
{
    const std::vector<std::string> abc{"A", "B", "C"};
    const ListCase cases[] = {
        {"insert at 5 into empty", {}, [](TAppletAgent& a) { a.InsertItem(5, named("N")); }, {"N"}},
        {"insert at -1 into empty", {}, [](TAppletAgent& a) { a.InsertItem(-1, named("N")); }, {"N"}},
        {"insert at 5 into three", abc, [](TAppletAgent& a) { a.InsertItem(5, named("N")); }, abc},
        {"insert at -1 into three", abc, [](TAppletAgent& a) { a.InsertItem(-1, named("N")); }, abc},
        {"insert at 3 appends", abc, [](TAppletAgent& a) { a.InsertItem(3, named("N")); },
                 {"A", "B", "C", "N"}},
        {"insert at 0", abc, [](TAppletAgent& a) { a.InsertItem(0, named("N")); },
                 {"N", "A", "B", "C"}},
        {"insert at 1", abc, [](TAppletAgent& a) { a.InsertItem(1, named("N")); },
                 {"A", "N", "B", "C"}},
        {"delete last", abc, [](TAppletAgent& a) { a.DeleteItem(2); }, {"A", "B"}},
        {"delete first", abc, [](TAppletAgent& a) { a.DeleteItem(0); }, {"B", "C"}},
        {"delete only", {"A"}, [](TAppletAgent& a) { a.DeleteItem(0); }, {}},
        {"delete beyond", abc, [](TAppletAgent& a) { a.DeleteItem(3); }, abc},
        {"delete negative", abc, [](TAppletAgent& a) { a.DeleteItem(-1); }, abc},
        {"delete from empty", {}, [](TAppletAgent& a) { a.DeleteItem(0); }, {}},
        {"move up 0", abc, [](TAppletAgent& a) { a.MoveItemUp(0); }, abc},
        {"move up 2", abc, [](TAppletAgent& a) { a.MoveItemUp(2); }, {"A", "C", "B"}},
        {"move up 1", abc, [](TAppletAgent& a) { a.MoveItemUp(1); }, {"B", "A", "C"}},
        {"move up beyond", abc, [](TAppletAgent& a) { a.MoveItemUp(3); }, abc},
    };
    for (const ListCase& c : cases) {
        TAppletAgent agent;
        for (const std::string& tip : c.before)
            agent.Items.push_back(named(tip));
        c.operation(agent);
        EXPECT_EQ(tips(agent), c.after) << c.what;
    }
}

}  // namespace
}  // namespace pictavo::model
