#include "model/item_tree.h"

#include <algorithm>
#include <stdexcept>

namespace pictavo::model {

namespace {

void checkInStep(const TItemArray& items, const Outline& outline, int node)
{
    if (items.size() != static_cast<std::size_t>(outline.itemCount()))
        throw std::invalid_argument("the item list is not the outline's listing");
    if (node < 0 || node >= outline.nodeCount())
        throw std::invalid_argument("node " + std::to_string(node) + " is not in the outline");
}

TItemArray::iterator itemOf(TItemArray& items, int node) { return items.begin() + (node - 1); }

}  // namespace

int insertItem(TItemArray& items, Outline& outline, int parent, TItemData item, std::string caption)
{
    checkInStep(items, outline, parent);
    item.Level = std::to_string(outline.depth(parent));
    const int node = outline.insertLastChild(parent, std::move(caption));
    items.insert(itemOf(items, node), std::move(item));
    return node;
}

void deleteSubtree(TItemArray& items, Outline& outline, int node)
{
    checkInStep(items, outline, node);
    const int end = outline.subtreeEnd(node);
    outline.eraseSubtree(node);
    items.erase(itemOf(items, node), itemOf(items, end));
}

bool moveBlockUp(TItemArray& items, Outline& outline, int node)
{
    checkInStep(items, outline, node);
    const int upper = outline.previousSibling(node);
    if (upper < 0)
        return false;
    const int end = outline.subtreeEnd(node);
    outline.raiseSubtree(node);
    // What exchanging neighbours one by one would give, in one pass.
    std::rotate(itemOf(items, upper), itemOf(items, node), itemOf(items, end));
    return true;
}

bool moveBlockDown(TItemArray& items, Outline& outline, int node)
{
    checkInStep(items, outline, node);
    const int next = outline.nextSibling(node);
    return next >= 0 && moveBlockUp(items, outline, next);
}

}  // namespace pictavo::model
