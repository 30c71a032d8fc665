#include "ListFixture.h"

#include "tree/CommandListHeader.h"
#include "tree/CommandListIO.h"

#include <fstream>
#include <sstream>
#include <stdlib.h>

namespace tovan::test {

void ListFixture::SetUp() {
    char pattern[] = "/tmp/tovan-list-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    m_dir = pattern;
}

void ListFixture::TearDown() {
    std::filesystem::remove_all(m_dir);
}

std::string ListFixture::readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void ListFixture::writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ListFixture::header() {
    return "/******************************\r\n*VM77\r\n*Version: 1.0\r\n*\r\n*COM3\r\n"
           "*115200\r\n*RTS/CTS\r\n/******************************\r\n";
}

CommandTree::Item ListFixture::addFolder(MemoryCommandTree& tree, CommandStore& store,
                                         CommandTree::Item parent, const std::string& label) {
    const std::uint32_t id = tree.takeNextId();
    store.appendEntry(id, 0, nullptr);
    return tree.insertSorted(parent, label, ItemKind::Folder, id);
}

CommandTree::Item ListFixture::addCommand(MemoryCommandTree& tree, CommandStore& store,
                                          CommandTree::Item parent, const std::string& label,
                                          const std::string& data) {
    const std::uint32_t id = tree.takeNextId();
    store.appendEntry(id, static_cast<std::uint32_t>(data.size()),
                      reinterpret_cast<const std::uint8_t*>(data.data()));
    return tree.insertSorted(parent, label, ItemKind::Command, id);
}

std::string ListFixture::save(const MemoryCommandTree& tree, const CommandStore& store) {
    const std::string file = path("saved.tcs");
    EXPECT_TRUE(writeListHeader(file, "VM77"));
    EXPECT_TRUE(saveList(tree, store, file));
    const std::string bytes = readAll(file);
    EXPECT_EQ(bytes.substr(0, header().size()), header());
    return bytes.substr(header().size());
}

std::string ListFixture::load(const std::string& body) {
    const std::string file = path("loaded.tcs");
    writeAll(file, header() + body);
    m_loaded.clear();
    m_loadedStore.clear();
    EXPECT_TRUE(loadList(m_loaded, m_loadedStore, file));
    return describe(m_loaded, m_loadedStore);
}

std::string ListFixture::describe(const MemoryCommandTree& tree, const CommandStore& store) {
    std::string out;
    std::size_t depth = 1;
    for (auto item = tree.firstChild(tree.root()); item; item = nextInPreOrder(tree, item, depth)) {
        out += std::string(2 * (depth - 1), ' ');
        const std::uint32_t id = tree.id(item);
        if (tree.kind(item) == ItemKind::Folder) {
            out += "F " + tree.label(item) + "\n";
        } else {
            const char* data = reinterpret_cast<const char*>(store.entryData(id));
            out += "C " + tree.label(item) + "=" +
                   std::string(data ? data : "", store.entryLength(id)) + "\n";
        }
    }
    return out;
}

} // namespace tovan::test
