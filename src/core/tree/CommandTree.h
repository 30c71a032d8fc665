#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovan {

enum class ItemKind { Folder, Command };

// What saving and loading a command list need from a tree: its shape, each item's label and
// id, and inserting an item at its sorted place. The tree view of the workbench and the
// in-memory tree of the core both provide it, so both save and load through the same code.
//
// Items are opaque handles; null stands for "none".
class CommandTree {
public:
    using Item = void*;

    virtual ~CommandTree() = default;

    // The single top-level item; it carries id 0 and is never written to a file.
    virtual Item root() const = 0;
    virtual Item firstChild(Item item) const = 0;
    virtual Item nextSibling(Item item) const = 0;
    virtual Item parent(Item item) const = 0; // null for the root
    // The whole label as Latin-1 bytes.
    virtual std::string label(Item item) const = 0;
    virtual std::uint32_t id(Item item) const = 0;

    // A list load begins: the root is expanded and neither selected nor cut, and item ids
    // restart at 1.
    virtual void beginLoad() = 0;
    // The id for the next item; each call gives a new one.
    virtual std::uint32_t takeNextId() = 0;
    // Inserts a new item below `parent`, among its children at the sorted place of `label`
    // (after siblings with an equal label), and returns it.
    virtual Item insertSorted(Item parent, const std::string& label, ItemKind kind,
                              std::uint32_t id) = 0;
};

// The item after `item` in pre-order (an item, its subtree, then its next sibling), never
// leaving the root's subtree; `depth` (1 for children of the root) is kept in step. Null after
// the last item.
CommandTree::Item nextInPreOrder(const CommandTree& tree, CommandTree::Item item,
                                 std::size_t& depth);

} // namespace tovan
