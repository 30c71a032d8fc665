#pragma once

#include "core/tree/CommandTree.h"

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace tovan {

// A command tree without a window: a root and its folders and commands, for tools, tests and
// benchmarks. Items live as long as the tree (or until clear()).
class MemoryCommandTree : public CommandTree {
public:
    explicit MemoryCommandTree(std::string rootLabel = {});

    Item root() const override;
    Item firstChild(Item item) const override;
    Item nextSibling(Item item) const override;
    Item parent(Item item) const override;
    std::string label(Item item) const override;
    std::uint32_t id(Item item) const override;
    void beginLoad() override;
    std::uint32_t takeNextId() override;
    Item insertSorted(Item parent, const std::string& label, ItemKind kind,
                      std::uint32_t id) override;

    ItemKind kind(Item item) const;
    // 0 for the root, 1 for its children, and so on.
    std::size_t depth(Item item) const;
    // Items below the root.
    std::size_t size() const { return m_nodes.size() - 1; }
    // Back to the root alone; ids restart at 1.
    void clear();

private:
    struct Node {
        std::string label;
        std::uint32_t id = 0;
        ItemKind kind = ItemKind::Folder;
        Node* parent = nullptr;
        std::vector<Node*> children; // in label order
        std::size_t index = 0;       // among its parent's children
    };
    static Node* node(Item item) { return static_cast<Node*>(item); }

    std::deque<Node> m_nodes; // m_nodes[0] is the root; a deque never moves its elements
    std::uint32_t m_nextId = 1;
};

} // namespace tovan
