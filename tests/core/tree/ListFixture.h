#pragma once

#include "tree/CommandStore.h"
#include "tree/MemoryCommandTree.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace tovan::test {

// A scratch folder plus helpers to build, save, load and describe command trees.
class ListFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    static std::string readAll(const std::string& path);
    static void writeAll(const std::string& path, const std::string& bytes);

    // The 8 header lines a VM77 console writes.
    static std::string header();

    CommandTree::Item addFolder(MemoryCommandTree& tree, CommandStore& store,
                                CommandTree::Item parent, const std::string& label);
    CommandTree::Item addCommand(MemoryCommandTree& tree, CommandStore& store,
                                 CommandTree::Item parent, const std::string& label,
                                 const std::string& data);

    // Saves with the header; returns what follows the header in the file.
    std::string save(const MemoryCommandTree& tree, const CommandStore& store);
    // Loads `body` (after a header) into a fresh tree; returns describe() of it.
    std::string load(const std::string& body);

    // One line per item in pre-order: indentation by depth, F or C, label, '=' data.
    static std::string describe(const MemoryCommandTree& tree, const CommandStore& store);

    std::filesystem::path m_dir;
    MemoryCommandTree m_loaded{"VM77-M"};
    CommandStore m_loadedStore;
};

} // namespace tovan::test
