#pragma once

#include "model/records.h"

#include <string>
#include <string_view>
#include <vector>

namespace pictavo::model {

// The item tree under its root, the gallery itself. Nodes are held in
// pre-order: node 0 is the root, node N + 1 stands for item N. A node's depth
// counts from the root (0), so an item's Level is its node's depth minus one.
class Outline {
public:
    static constexpr std::string_view RootCaption = "Pictavo";

    Outline();

    // The root alone.
    void reset();

    int nodeCount() const { return static_cast<int>(m_nodes.size()); }
    int itemCount() const { return nodeCount() - 1; }
    int depth(int node) const;
    int parent(int node) const;
    const std::string& caption(int node) const;
    void setCaption(int node, std::string caption);

    // Appends a node at the end of the pre-order listing: as the last child of
    // the last node at depth - 1, which therefore must exist (1 <= depth <= the
    // last node's depth + 1).
    void appendNode(int depth, std::string caption);

    // The node and its descendants are the nodes from the node up to, not
    // including, subtreeEnd(node).
    int subtreeEnd(int node) const;
    // The node's neighbours under its parent, or -1 where it has none.
    int previousSibling(int node) const;
    int nextSibling(int node) const;

    // The structural changes keep the pre-order, so each moves or passes only
    // the nodes it must, and none recurses: a tree may nest as deep as it has
    // nodes. The item list that goes with the outline changes with them
    // through model/item_tree.h.

    // Adds a node as the last child of the parent, just after the parent's
    // subtree; returns the new node.
    int insertLastChild(int parent, std::string caption);
    // Removes an item node with all its descendants.
    void eraseSubtree(int node);
    // Puts the node's subtree just before the subtree of its previous sibling;
    // false, and nothing changes, when it has none.
    bool raiseSubtree(int node);

private:
    // Adds delta to every parent index from `from` on, for the nodes from
    // `first` up to `last`.
    void shiftParents(int first, int last, int from, int delta);

    struct Node {
        int depth;
        int parent;
        std::string caption;
    };
    std::vector<Node> m_nodes;
};

// The text after the last "/", "\" or ":" of a path: an item's caption.
std::string fileNamePart(std::string_view path);

// The outline whose pre-order listing the items are. Levels this system never
// writes still give an outline that matches the list one to one: a first or
// negative level counts as 0, and a level above the previous level + 1 counts
// as previous + 1. A level that is not an integer throws the conversion error.
Outline rebuildOutline(const TItemArray& items);

// One step of rebuildOutline: the node of the item, with that level and
// original image path, that follows the outline's last node in the list.
void appendItemNode(Outline& outline, std::string_view level, std::string_view originalImagePath);

}  // namespace pictavo::model
