#include "core/tree/MemoryCommandTree.h"

#include "core/tree/Labels.h"

namespace tovan {

MemoryCommandTree::MemoryCommandTree(std::string rootLabel) {
    m_nodes.emplace_back();
    m_nodes.front().label = std::move(rootLabel);
}

CommandTree::Item MemoryCommandTree::root() const {
    return const_cast<Node*>(&m_nodes.front());
}

CommandTree::Item MemoryCommandTree::firstChild(Item item) const {
    const std::vector<Node*>& children = node(item)->children;
    return children.empty() ? nullptr : children.front();
}

CommandTree::Item MemoryCommandTree::nextSibling(Item item) const {
    const Node* sibling = node(item);
    if (!sibling->parent || sibling->index + 1 >= sibling->parent->children.size())
        return nullptr;
    return sibling->parent->children[sibling->index + 1];
}

CommandTree::Item MemoryCommandTree::parent(Item item) const {
    return node(item)->parent;
}

std::string MemoryCommandTree::label(Item item) const {
    return node(item)->label;
}

std::uint32_t MemoryCommandTree::id(Item item) const {
    return node(item)->id;
}

ItemKind MemoryCommandTree::kind(Item item) const {
    return node(item)->kind;
}

std::size_t MemoryCommandTree::depth(Item item) const {
    std::size_t depth = 0;
    for (const Node* up = node(item)->parent; up; up = up->parent)
        ++depth;
    return depth;
}

void MemoryCommandTree::beginLoad() {
    m_nextId = 1;
}

std::uint32_t MemoryCommandTree::takeNextId() {
    return m_nextId++;
}

CommandTree::Item MemoryCommandTree::insertSorted(Item parentItem, const std::string& label,
                                                  ItemKind kind, std::uint32_t id) {
    Node* parent = node(parentItem);
    m_nodes.push_back(Node{label, id, kind, parent, {}, 0});
    std::vector<Node*>& siblings = parent->children;
    const std::size_t position =
        sortedPosition(siblings.size(), label,
                       [&](std::size_t i) -> std::string_view { return siblings[i]->label; });
    siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(position), &m_nodes.back());
    for (std::size_t i = position; i < siblings.size(); ++i)
        siblings[i]->index = i;
    return &m_nodes.back();
}

void MemoryCommandTree::clear() {
    m_nodes.resize(1);
    Node& rootNode = m_nodes.front();
    rootNode.children.clear();
    m_nextId = 1;
}

} // namespace tovan
