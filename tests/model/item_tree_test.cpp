#include "model/item_tree.h"

#include "support/items.h"

#include <gtest/gtest.h>
#include <random>
#include <stdexcept>

namespace pictavo::model {
namespace {

// Items named by their pictures, "/p/<name>", at the given levels, with the
// outline they rebuild.
struct Project {
    TItemArray items;
    Outline outline;

    explicit Project(const std::vector<std::pair<std::string, int>>& listing = {})
    {
        for (const auto& [name, level] : listing)
            items.push_back(test::itemWithOriginal("/p/" + name, std::to_string(level)));
        outline = rebuildOutline(items);
    }

    int node(const std::string& name) const
    {
        for (int n = 1; n < outline.nodeCount(); ++n)
            if (outline.caption(n) == name)
                return n;
        throw std::logic_error("no node " + name);
    }

    // "name:Level ..." in list order.
    std::string listing() const
    {
        std::string text;
        for (const TItemData& item : items)
            text += fileNamePart(item.OriginalImagePath) + ":" + item.Level + " ";
        return text;
    }

    // The outline is the one the items' Levels rebuild: the same nodes under
    // the same parents, captioned after the same pictures.
    void expectOutlineOfTheLevels() const
    {
        const Outline rebuilt = rebuildOutline(items);
        ASSERT_EQ(outline.nodeCount(), rebuilt.nodeCount());
        for (int n = 0; n < outline.nodeCount(); ++n) {
            ASSERT_EQ(outline.depth(n), rebuilt.depth(n)) << "node " << n;
            ASSERT_EQ(outline.parent(n), rebuilt.parent(n)) << "node " << n;
            ASSERT_EQ(outline.caption(n), rebuilt.caption(n)) << "node " << n;
        }
    }
};

const std::vector<std::pair<std::string, int>> Sample = {{"A", 0}, {"A1", 1}, {"A1a", 2}, {"A2", 1},
                                                         {"B", 0}, {"C", 0},  {"C1", 1}};

TEST(ItemTree, CommandsChangeTheListAsTheTreeChanges)
{
    enum Command { Insert, Delete, Up, Down };
    struct Case {
        Command command;
        const char* node;
        bool changes;
        const char* listing;
    };
    const Case cases[] = {
        {Insert, "A1", true, "A:0 A1:1 A1a:2 N:2 A2:1 B:0 C:0 C1:1 "},
        {Insert, "A1a", true, "A:0 A1:1 A1a:2 N:3 A2:1 B:0 C:0 C1:1 "},
        {Insert, "", true, "A:0 A1:1 A1a:2 A2:1 B:0 C:0 C1:1 N:0 "},
        {Delete, "A1", true, "A:0 A2:1 B:0 C:0 C1:1 "},
        {Delete, "A", true, "B:0 C:0 C1:1 "},
        {Delete, "C1", true, "A:0 A1:1 A1a:2 A2:1 B:0 C:0 "},
        {Up, "B", true, "B:0 A:0 A1:1 A1a:2 A2:1 C:0 C1:1 "},
        {Up, "A2", true, "A:0 A2:1 A1:1 A1a:2 B:0 C:0 C1:1 "},
        {Up, "C", true, "A:0 A1:1 A1a:2 A2:1 C:0 C1:1 B:0 "},
        {Down, "A", true, "B:0 A:0 A1:1 A1a:2 A2:1 C:0 C1:1 "},
        {Down, "A1", true, "A:0 A2:1 A1:1 A1a:2 B:0 C:0 C1:1 "},
        {Up, "A", false, "A:0 A1:1 A1a:2 A2:1 B:0 C:0 C1:1 "},
        {Up, "A1a", false, "A:0 A1:1 A1a:2 A2:1 B:0 C:0 C1:1 "},
        {Down, "C", false, "A:0 A1:1 A1a:2 A2:1 B:0 C:0 C1:1 "},
        {Down, "A2", false, "A:0 A1:1 A1a:2 A2:1 B:0 C:0 C1:1 "},
        {Up, "", false, "A:0 A1:1 A1a:2 A2:1 B:0 C:0 C1:1 "},
        {Down, "", false, "A:0 A1:1 A1a:2 A2:1 B:0 C:0 C1:1 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.command) + " at " + c.node);
        Project p(Sample);
        const int node = *c.node ? p.node(c.node) : 0;
        bool changed = true;
        switch (c.command) {
        case Insert:
            EXPECT_EQ(p.outline.caption(insertItem(p.items, p.outline, node, test::itemWithOriginal("/p/N", ""), "N")),
                      "N");
            break;
        case Delete:
            deleteSubtree(p.items, p.outline, node);
            break;
        case Up:
            changed = moveBlockUp(p.items, p.outline, node);
            break;
        case Down:
            changed = moveBlockDown(p.items, p.outline, node);
            break;
        }
        EXPECT_EQ(changed, c.changes);
        EXPECT_EQ(p.listing(), c.listing);
        p.expectOutlineOfTheLevels();
    }
}

TEST(ItemTree, TheRootAListOutOfStepAndANodeOutsideAreRefusedUnchanged)
{
    Project p(Sample);
    EXPECT_THROW(deleteSubtree(p.items, p.outline, 0), std::invalid_argument);
    for (const int node : {-1, 8})
        EXPECT_THROW(moveBlockUp(p.items, p.outline, node), std::invalid_argument);
    p.items.pop_back();
    EXPECT_THROW(insertItem(p.items, p.outline, 0, TItemData{}, "N"), std::invalid_argument);
    EXPECT_THROW(moveBlockDown(p.items, p.outline, 1), std::invalid_argument);
    EXPECT_EQ(p.outline.nodeCount(), 8);
    EXPECT_EQ(p.listing(), "A:0 A1:1 A1a:2 A2:1 B:0 C:0 ");
}

// The reference: a tree of named nodes changed the obvious way, by recursion.
struct Reference {
    struct Node {
        std::string name;
        std::vector<Node> children;
    };
    Node root;

    // The list place of node n (n >= 1): its parent and its place there.
    static bool locate(Node& from, int& countdown, Node*& parent, std::size_t& at)
    {
        for (std::size_t i = 0; i < from.children.size(); ++i) {
            if (--countdown == 0) {
                parent = &from;
                at = i;
                return true;
            }
            if (locate(from.children[i], countdown, parent, at))
                return true;
        }
        return false;
    }
    std::pair<Node*, std::size_t> place(int node)
    {
        Node* parent = nullptr;
        std::size_t at = 0;
        locate(root, node, parent, at);
        return {parent, at};
    }
    Node& at(int node) { return node == 0 ? root : place(node).first->children[place(node).second]; }

    static void list(const Node& from, int level, std::string& text)
    {
        for (const Node& child : from.children) {
            text += child.name + ":" + std::to_string(level) + " ";
            list(child, level + 1, text);
        }
    }
    std::string listing() const
    {
        std::string text;
        list(root, 0, text);
        return text;
    }
};

TEST(ItemTree, RandomCommandsKeepTheListTheOutlinesListing)
{
    Project p;
    Reference reference;
    std::mt19937 random(14);
    for (int step = 0; step < 4000; ++step) {
        const int node = static_cast<int>(random() % static_cast<unsigned>(p.outline.nodeCount()));
        const unsigned command = random() % 10;
        if (command < 4) {
            const std::string name = "N" + std::to_string(step);
            insertItem(p.items, p.outline, node, test::itemWithOriginal("/p/" + name, ""), name);
            reference.at(node).children.push_back({name, {}});
        } else if (command < 5) {
            if (node == 0) {
                EXPECT_THROW(deleteSubtree(p.items, p.outline, node), std::invalid_argument);
            } else {
                deleteSubtree(p.items, p.outline, node);
                const auto [parent, at] = reference.place(node);
                parent->children.erase(parent->children.begin() + static_cast<std::ptrdiff_t>(at));
            }
        } else {
            const bool up = command < 8;
            const bool moved = up ? moveBlockUp(p.items, p.outline, node) : moveBlockDown(p.items, p.outline, node);
            bool expected = false;
            if (node > 0) {
                const auto [parent, at] = reference.place(node);
                const std::size_t other = up ? at - 1 : at + 1;
                expected = up ? at > 0 : other < parent->children.size();
                if (expected)
                    std::swap(parent->children[at], parent->children[other]);
            }
            ASSERT_EQ(moved, expected) << "step " << step;
        }
        ASSERT_EQ(p.listing(), reference.listing()) << "step " << step;
        p.expectOutlineOfTheLevels();
        if (testing::Test::HasFatalFailure())
            FAIL() << "step " << step;
    }
    EXPECT_GT(p.items.size(), 20u);
}

// A block of 100,000 items passes one of 120,000 nested as deep, and the
// deep one is entered and cut: each in steps linear in the items, never in
// their product, and without recursion (which would need a stack frame per
// level).
TEST(ItemTree, LargeBlocksAndDeepNestingTakeLinearSteps)
{
    constexpr int Deep = 120000;
    constexpr int Wide = 100000;
    Project p;
    p.items.reserve(Deep + Wide + 1);
    for (int level = 0; level < Deep; ++level)
        p.items.push_back(test::itemWithOriginal("/p/D", std::to_string(level)));
    p.items.push_back(test::itemWithOriginal("/p/W", "0"));
    for (int i = 1; i < Wide; ++i)
        p.items.push_back(test::itemWithOriginal("/p/w", "1"));
    p.outline = rebuildOutline(p.items);

    const int wide = Deep + 1;
    ASSERT_TRUE(moveBlockUp(p.items, p.outline, wide));
    EXPECT_EQ(p.items[0].OriginalImagePath, "/p/W");
    EXPECT_EQ(p.items[Wide].Level, "0");
    EXPECT_EQ(p.items.back().Level, std::to_string(Deep - 1));
    EXPECT_EQ(p.outline.parent(Wide + 2), Wide + 1);
    ASSERT_TRUE(moveBlockDown(p.items, p.outline, 1));
    EXPECT_EQ(p.outline.previousSibling(wide), 1);

    const int deepest = insertItem(p.items, p.outline, Deep, TAppletAgent::NewItemData(), "E");
    EXPECT_EQ(deepest, Deep + 1);
    EXPECT_EQ(p.items[Deep].Level, std::to_string(Deep));
    deleteSubtree(p.items, p.outline, 2);
    EXPECT_EQ(p.items.size(), std::size_t(Wide + 1));
    EXPECT_EQ(p.outline.parent(3), 2);
    p.expectOutlineOfTheLevels();
}

}  // namespace
}  // namespace pictavo::model
