#pragma once

#include "model/outline.h"
#include "model/records.h"

#include <string>

namespace pictavo::model {

// The operations on the items' tree. The item list is the outline's
// pre-order listing (item N is node N + 1) and each item's Level its node's
// depth minus one; each operation changes list and outline together, so they
// stay that way. A list whose length is not the outline's item count throws
// std::invalid_argument, and so does a node that is not one of the outline's,
// before anything changes.

// Adds the item, with its Level set, as the last child of the parent node:
// in the list just after the parent's subtree. Returns the new node.
int insertItem(TItemArray& items, Outline& outline, int parent, TItemData item, std::string caption);

// Removes an item node with its descendants; their items go as one block.
void deleteSubtree(TItemArray& items, Outline& outline, int node);

// Exchanges the node's block (the node and its descendants) with the block
// of its previous or next sibling; both blocks keep their inner order and
// their Levels. False, and nothing changes, when there is no such sibling.
bool moveBlockUp(TItemArray& items, Outline& outline, int node);
bool moveBlockDown(TItemArray& items, Outline& outline, int node);

}  // namespace pictavo::model
