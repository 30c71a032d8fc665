#include "core/testplan/CommandPath.h"

#include "core/tree/Labels.h"

namespace tovan {
namespace {

CommandTree::Item findBelow(const CommandTree& tree, CommandTree::Item parent,
                            std::string_view path) {
    for (CommandTree::Item child = tree.firstChild(parent); child;
         child = tree.nextSibling(child)) {
        const std::string label = latin1ToUtf8(tree.label(child));
        if (path.substr(0, label.size()) != label)
            continue;
        if (path.size() == label.size())
            return child;
        if (path[label.size()] != '/')
            continue;
        if (CommandTree::Item found = findBelow(tree, child, path.substr(label.size() + 1)))
            return found;
    }
    return nullptr;
}

} // namespace

CommandTree::Item findItemByPath(const CommandTree& tree, std::string_view path) {
    return path.empty() ? nullptr : findBelow(tree, tree.root(), path);
}

std::string itemPath(const CommandTree& tree, CommandTree::Item item) {
    std::string path;
    for (; item && item != tree.root(); item = tree.parent(item))
        path = latin1ToUtf8(tree.label(item)) + (path.empty() ? "" : "/") + path;
    return path;
}

} // namespace tovan
