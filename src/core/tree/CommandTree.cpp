#include "core/tree/CommandTree.h"

namespace tovan {

CommandTree::Item nextInPreOrder(const CommandTree& tree, CommandTree::Item item,
                                 std::size_t& depth) {
    if (CommandTree::Item child = tree.firstChild(item)) {
        ++depth;
        return child;
    }
    const CommandTree::Item root = tree.root();
    while (item && item != root) {
        if (CommandTree::Item next = tree.nextSibling(item))
            return next;
        item = tree.parent(item);
        --depth;
    }
    return nullptr;
}

} // namespace tovan
