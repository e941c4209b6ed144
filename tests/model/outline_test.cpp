#include "model/outline.h"

#include "support/user_error_of.h"

#include <gtest/gtest.h>

namespace pictavo::model {
namespace {

TItemArray itemsWithLevels(const std::vector<std::string>& levels)
{
    TItemArray items;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        TItemData item;
        item.OriginalImagePath = "/pictures/" + std::string(1, static_cast<char>('A' + i)) + ".jpg";
        item.Level = levels[i];
        items.push_back(item);
    }
    return items;
}

// The outline as text: each node's caption, with its parent's caption.
std::string shape(const Outline& outline)
{
    std::string text;
    for (int node = 1; node < outline.nodeCount(); ++node)
        text += outline.caption(outline.parent(node)) + ">" + outline.caption(node) + " ";
    return text;
}

TEST(Outline, RebuildsTheTreeWhosePreOrderListingTheItemsAre)
{
    const Outline outline = rebuildOutline(itemsWithLevels({"0", "1", "1", "2", "0"}));
    EXPECT_EQ(outline.nodeCount(), 6);
    EXPECT_EQ(outline.caption(0), "Pictavo");
    EXPECT_EQ(shape(outline), "Pictavo>A.jpg A.jpg>B.jpg A.jpg>C.jpg C.jpg>D.jpg Pictavo>E.jpg ");
    const int depths[] = {0, 1, 2, 2, 3, 1};
    for (int node = 0; node < 6; ++node)
        EXPECT_EQ(outline.depth(node), depths[node]);
}

TEST(Outline, AttachesLevelsThisSystemNeverWritesToTheNearestPossibleParent)
{
    struct Case {
        std::vector<std::string> levels;
        const char* shape;
    };
    const Case cases[] = {
        {{"2", "3"}, "Pictavo>A.jpg A.jpg>B.jpg "},
        {{"0", "3", "1"}, "Pictavo>A.jpg A.jpg>B.jpg A.jpg>C.jpg "},
        {{"0", "1", "5", "-1"}, "Pictavo>A.jpg A.jpg>B.jpg B.jpg>C.jpg Pictavo>D.jpg "},
        {{"-4", "+1", "007"}, "Pictavo>A.jpg A.jpg>B.jpg B.jpg>C.jpg "},
        {{}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shape(rebuildOutline(itemsWithLevels(c.levels))), c.shape);
}

TEST(Outline, ALevelThatIsNotAnIntegerIsTheConversionError)
{
    EXPECT_EQ(test::userErrorOf([] { rebuildOutline(itemsWithLevels({"0", "one"})); }),
              "'one' is not a valid integer value");
    EXPECT_EQ(test::userErrorOf([] { rebuildOutline(itemsWithLevels({""})); }), "'' is not a valid integer value");
}

TEST(Outline, CaptionsAreTheFileNamePartOfThePath)
{
    EXPECT_EQ(fileNamePart("C:\\Photos\\beach.jpg"), "beach.jpg");
    EXPECT_EQ(fileNamePart("/home/a/b c.gif"), "b c.gif");
    EXPECT_EQ(fileNamePart("D:pic.bmp"), "pic.bmp");
    EXPECT_EQ(fileNamePart("plain.jpg"), "plain.jpg");
    EXPECT_EQ(fileNamePart("/folder/"), "");
}

TEST(Outline, SubtreesEndAndSiblingsAreFoundByDepth)
{
    // The root holds A and F, A holds B and E, B holds C, C holds D.
    const Outline outline = rebuildOutline(itemsWithLevels({"0", "1", "2", "3", "1", "0"}));
    struct Case {
        int node, subtreeEnd, previous, next;
    };
    const Case cases[] = {
        {0, 7, -1, -1}, {1, 6, -1, 6}, {2, 5, -1, 5}, {3, 5, -1, -1},
        {4, 5, -1, -1}, {5, 6, 2, -1}, {6, 7, 1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(outline.subtreeEnd(c.node), c.subtreeEnd) << c.node;
        EXPECT_EQ(outline.previousSibling(c.node), c.previous) << c.node;
        EXPECT_EQ(outline.nextSibling(c.node), c.next) << c.node;
    }
}

TEST(Outline, AppendedNodesMustFollowThePreOrder)
{
    Outline outline;
    outline.appendNode(1, "a");
    outline.appendNode(2, "b");
    EXPECT_THROW(outline.appendNode(4, "c"), std::invalid_argument);
    EXPECT_THROW(outline.appendNode(0, "c"), std::invalid_argument);
    outline.appendNode(1, "c");
    EXPECT_EQ(outline.parent(3), 0);
    outline.reset();
    EXPECT_EQ(outline.nodeCount(), 1);
}

}  // namespace
}  // namespace pictavo::model
