#pragma once

#include "core/tree/CommandTree.h"

#include <string>
#include <string_view>

namespace tovan {

// Items of a command tree named by their path: the labels from below the root down to the
// item, separated by `/` ("Module/Read firmware version"), each as the tree shows it (UTF-8).
// A label may hold `/` itself; every way of reading the path is tried.

// The first item in tree order with that path, or null.
CommandTree::Item findItemByPath(const CommandTree& tree, std::string_view path);

// The path of `item` (empty for the root).
std::string itemPath(const CommandTree& tree, CommandTree::Item item);

} // namespace tovan
