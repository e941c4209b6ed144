#include "model/outline.h"

#include "model/value_encodings.h"

#include <algorithm>
#include <stdexcept>

namespace pictavo::model {

Outline::Outline() { reset(); }

void Outline::reset()
{
    m_nodes.clear();
    m_nodes.push_back(Node{0, -1, std::string(RootCaption)});
}

int Outline::depth(int node) const { return m_nodes.at(static_cast<std::size_t>(node)).depth; }

int Outline::parent(int node) const { return m_nodes.at(static_cast<std::size_t>(node)).parent; }

const std::string& Outline::caption(int node) const
{
    return m_nodes.at(static_cast<std::size_t>(node)).caption;
}

void Outline::setCaption(int node, std::string caption)
{
    m_nodes.at(static_cast<std::size_t>(node)).caption = std::move(caption);
}

void Outline::appendNode(int depth, std::string caption)
{
    if (depth < 1 || depth > m_nodes.back().depth + 1)
        throw std::invalid_argument("outline depth " + std::to_string(depth) + " does not follow");
    int parent = nodeCount() - 1;
    while (m_nodes[static_cast<std::size_t>(parent)].depth >= depth)
        parent = m_nodes[static_cast<std::size_t>(parent)].parent;
    m_nodes.push_back(Node{depth, parent, std::move(caption)});
}

int Outline::subtreeEnd(int node) const
{
    const int own = depth(node);
    // Only the root has depth 0, and every node is in its subtree.
    if (own == 0)
        return nodeCount();
    int end = node + 1;
    while (end < nodeCount() && m_nodes[static_cast<std::size_t>(end)].depth > own)
        ++end;
    return end;
}

int Outline::previousSibling(int node) const
{
    const int own = depth(node);
    if (own == 0)
        return -1;
    // The node just before is the previous sibling, one of its descendants,
    // or else the parent: going up from it reaches the sibling if there is one.
    int before = node - 1;
    while (m_nodes[static_cast<std::size_t>(before)].depth > own)
        before = m_nodes[static_cast<std::size_t>(before)].parent;
    return m_nodes[static_cast<std::size_t>(before)].depth == own ? before : -1;
}

int Outline::nextSibling(int node) const
{
    const int end = subtreeEnd(node);
    return end < nodeCount() && m_nodes[static_cast<std::size_t>(end)].depth == depth(node) ? end : -1;
}

void Outline::shiftParents(int first, int last, int from, int delta)
{
    for (int n = first; n < last; ++n) {
        int& parent = m_nodes[static_cast<std::size_t>(n)].parent;
        if (parent >= from)
            parent += delta;
    }
}

int Outline::insertLastChild(int parent, std::string caption)
{
    const int at = subtreeEnd(parent);
    m_nodes.insert(m_nodes.begin() + at, Node{depth(parent) + 1, parent, std::move(caption)});
    shiftParents(at + 1, nodeCount(), at, 1);
    return at;
}

void Outline::eraseSubtree(int node)
{
    if (depth(node) == 0)
        throw std::invalid_argument("the outline's root cannot be erased");
    const int end = subtreeEnd(node);
    m_nodes.erase(m_nodes.begin() + node, m_nodes.begin() + end);
    // No node after the subtree has its parent inside it.
    shiftParents(node, nodeCount(), end, node - end);
}

bool Outline::raiseSubtree(int node)
{
    const int upper = previousSibling(node);
    if (upper < 0)
        return false;
    const int end = subtreeEnd(node);
    std::rotate(m_nodes.begin() + upper, m_nodes.begin() + node, m_nodes.begin() + end);
    // Each block's parents inside it moved with it; their common parent lies
    // before both, and no node after them has its parent inside either.
    const int raised = end - node;
    shiftParents(upper, upper + raised, upper, upper - node);
    shiftParents(upper + raised, end, upper, raised);
    return true;
}

std::string fileNamePart(std::string_view path)
{
    const std::size_t last = path.find_last_of("/\\:");
    return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

void appendItemNode(Outline& outline, std::string_view level, std::string_view originalImagePath)
{
    const int previousLevel = outline.depth(outline.nodeCount() - 1) - 1;
    const int clamped = std::clamp(parseInteger(level), 0, previousLevel + 1);
    outline.appendNode(clamped + 1, fileNamePart(originalImagePath));
}

Outline rebuildOutline(const TItemArray& items)
{
    Outline outline;
    for (const TItemData& item : items)
        appendItemNode(outline, item.Level, item.OriginalImagePath);
    return outline;
}

}  // namespace pictavo::model
