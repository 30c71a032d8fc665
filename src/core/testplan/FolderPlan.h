#pragma once

#include "core/tree/CommandTree.h"

#include <chrono>
#include <string>

namespace tovan {

class CommandStore;

// Plan text that tries every command below `folder` (its subfolders included, in tree order):
// a note naming the command, a send of its frame, and `expect * within 500`. Commands whose
// text holds no frame, or one too long for a port, are left out with a comment saying so.
std::string planFromFolder(const CommandTree& tree, const CommandStore& store,
                           CommandTree::Item folder,
                           std::chrono::milliseconds within = std::chrono::milliseconds(500));

} // namespace tovan
