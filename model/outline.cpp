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
