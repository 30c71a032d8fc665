// Random and damaged files through the reader and the loader: no crash, no access outside a
// buffer (the sanitized build of this test checks that), and a consistent tree afterwards.
#include "core/tree/CommandListIO.h"
#include "core/tree/CommandStore.h"
#include "core/tree/MemoryCommandTree.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <stdlib.h>

using namespace tovan;

namespace {

// Bytes that steer the reader, weighted so that records actually form.
std::string randomFile(std::mt19937& random, std::size_t size) {
    static const std::string steering = "#\"{},  \n\n\r\t\xFF";
    std::string bytes;
    std::uniform_int_distribution<int> pick(0, 3);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<std::size_t> steer(0, steering.size() - 1);
    for (std::size_t i = 0; i < size; ++i)
        bytes += pick(random) == 0 ? static_cast<char>(any(random)) : steering[steer(random)];
    return bytes;
}

std::string validFile() {
    std::string bytes = "h\r\nh\r\nh\r\nh\r\nh\r\nh\r\nh\r\nh\r\n";
    for (int i = 0; i < 30; ++i) {
        const std::string indent(2 * (i % 6), ' ');
        bytes += indent + "#\r\n" + indent + "\"item " + std::to_string(i) + "\"\r\n" + indent +
                 (i % 3 == 0 ? "{" : "FE 01 02") + "\r\n";
    }
    return bytes;
}

void expectConsistent(const MemoryCommandTree& tree, const CommandStore& store) {
    std::set<std::uint32_t> ids;
    std::size_t count = 0;
    std::vector<CommandTree::Item> pending{tree.root()};
    while (!pending.empty()) {
        const CommandTree::Item item = pending.back();
        pending.pop_back();
        for (auto child = tree.firstChild(item); child; child = tree.nextSibling(child)) {
            ASSERT_EQ(tree.parent(child), item);
            ASSERT_TRUE(ids.insert(tree.id(child)).second) << "duplicate id";
            ++count;
            pending.push_back(child);
        }
    }
    EXPECT_EQ(count, tree.size());
    EXPECT_EQ(store.size(), tree.size());
}

} // namespace

TEST(CommandListFuzz, RandomAndDamagedFilesLoadIntoConsistentTrees) {
    char pattern[] = "/tmp/tovan-fuzz-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string file = std::string(pattern) + "/fuzz.tcs";
    std::mt19937 random(20240611);
    const std::string valid = validFile();
    std::uniform_int_distribution<std::size_t> size(0, 3000);
    std::size_t itemsRead = 0;

    for (int round = 0; round < 1500; ++round) {
        std::string bytes;
        if (round % 2 == 0) {
            bytes = randomFile(random, size(random));
        } else { // a sound file with bytes changed, dropped or cut off
            bytes = valid;
            std::uniform_int_distribution<std::size_t> at(0, bytes.size() - 1);
            for (int change = 0; change < 8; ++change)
                bytes[at(random)] = static_cast<char>(random());
            bytes.resize(at(random));
        }
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
        MemoryCommandTree tree;
        CommandStore store;
        std::vector<LoadNotice> notices;
        ASSERT_TRUE(loadList(tree, store, file, &notices));
        expectConsistent(tree, store);
        itemsRead += tree.size();
        ASSERT_TRUE(saveList(tree, store, file)); // whatever was read can be written again
    }
    std::filesystem::remove_all(pattern);
    EXPECT_GT(itemsRead, 5000u) << "the files hardly formed records";
}
