#include "tree/MemoryCommandTree.h"

#include "tree/Labels.h"

namespace tovan {

MemoryCommandTree::MemoryCommandTree(std::string rootLabel) {
    m_nodes.emplace_back();
    m_nodes.front().label = std::move(rootLabel);
}

CommandTree::Item MemoryCommandTree::root() const {
    return const_cast<Node*>(&m_nodes.front());
}

CommandTree::Item MemoryCommandTree::firstChild(Item item) const {
    return node(item)->firstChild;
}

CommandTree::Item MemoryCommandTree::nextSibling(Item item) const {
    return node(item)->next;
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
    m_nodes.push_back(Node{label, id, kind, parent});
    Node* added = &m_nodes.back();

    // Files written by the workbench list siblings in order already: try the end first.
    Node* before = nullptr; // the sibling the new item follows
    if (parent->lastChild && compareLabels(parent->lastChild->label, label) <= 0) {
        before = parent->lastChild;
    } else {
        for (Node* sibling = parent->firstChild;
             sibling && compareLabels(sibling->label, label) <= 0; sibling = sibling->next)
            before = sibling;
    }
    if (before) {
        added->next = before->next;
        before->next = added;
    } else {
        added->next = parent->firstChild;
        parent->firstChild = added;
    }
    if (!added->next)
        parent->lastChild = added;
    return added;
}

void MemoryCommandTree::clear() {
    m_nodes.resize(1);
    Node& rootNode = m_nodes.front();
    rootNode.firstChild = rootNode.lastChild = nullptr;
    m_nextId = 1;
}

} // namespace tovan
