#pragma once

#include "core/tree/CommandStore.h"
#include "core/tree/MemoryCommandTree.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>
#include <string>

namespace tovan::test {

// A tree to build and save, a tree to load into, and a scratch folder for the files.
class ListFixture : public ::testing::Test {
protected:
    // The 8 header lines a VM77 console writes.
    static std::string header();

    CommandTree::Item addFolder(CommandTree::Item parent, const std::string& label);
    CommandTree::Item addCommand(CommandTree::Item parent, const std::string& label,
                                 const std::string& data);
    CommandTree::Item root() const { return m_tree.root(); }

    // Saves m_tree with the header into "saved.tcs"; returns what follows the header.
    std::string save();
    // Loads `body` (after a header) into m_loaded; returns describe() of it.
    std::string load(const std::string& body);

    // One line per item in pre-order: indentation by depth, F or C, label, '=' data.
    static std::string describe(const MemoryCommandTree& tree, const CommandStore& store);

    ScratchDir m_dir;
    MemoryCommandTree m_tree{"VM77-M"};
    CommandStore m_store;
    MemoryCommandTree m_loaded{"VM77-M"};
    CommandStore m_loadedStore;
};

} // namespace tovan::test
