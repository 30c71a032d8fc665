#pragma once

#include "core/tree/CommandTree.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tovan {

class CommandStore;

// Something a load read differently from what the file says, or could not place as written.
struct LoadNotice {
    std::size_t line = 0; // line of the record's label; 0 for the file as a whole
    std::string message;  // English, labels in UTF-8
};

// Writes every item below the root, in pre-order, after the header that `path` already holds
// (writeListHeader). Labels are cut to their first 48 characters; an item with an empty label
// writes nothing, its children still do. False when the file cannot be opened or written.
bool saveList(const CommandTree& tree, const CommandStore& store, const std::string& path);

// Reads the records of `path` into the tree below its root (inserting each at its sorted
// place) and their data into the store; ids start at 1. A record whose folder one level up
// does not exist goes under the nearest shallower folder read so far, else under the root.
// A file that does not exist is created empty and gives an empty list. False when the file
// cannot be read. With `notices`, what the load changed is listed there.
bool loadList(CommandTree& tree, CommandStore& store, const std::string& path,
              std::vector<LoadNotice>* notices = nullptr);

} // namespace tovan
