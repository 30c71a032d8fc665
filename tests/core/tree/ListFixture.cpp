#include "tests/core/tree/ListFixture.h"

#include "core/tree/CommandListHeader.h"
#include "core/tree/CommandListIO.h"

namespace tovan::test {

std::string ListFixture::header() {
    return "/******************************\r\n*VM77\r\n*Version: 1.0\r\n*\r\n*COM3\r\n"
           "*115200\r\n*RTS/CTS\r\n/******************************\r\n";
}

CommandTree::Item ListFixture::addFolder(CommandTree::Item parent, const std::string& label) {
    const std::uint32_t id = m_tree.takeNextId();
    m_store.appendEntry(id, 0, nullptr);
    return m_tree.insertSorted(parent, label, ItemKind::Folder, id);
}

CommandTree::Item ListFixture::addCommand(CommandTree::Item parent, const std::string& label,
                                          const std::string& data) {
    const std::uint32_t id = m_tree.takeNextId();
    m_store.appendEntry(id, static_cast<std::uint32_t>(data.size()),
                        reinterpret_cast<const std::uint8_t*>(data.data()));
    return m_tree.insertSorted(parent, label, ItemKind::Command, id);
}

std::string ListFixture::save() {
    EXPECT_TRUE(writeListHeader(m_dir.path("saved.tcs"), "VM77"));
    EXPECT_TRUE(saveList(m_tree, m_store, m_dir.path("saved.tcs")));
    const std::string bytes = m_dir.read("saved.tcs");
    EXPECT_EQ(bytes.substr(0, header().size()), header());
    return bytes.substr(header().size());
}

std::string ListFixture::load(const std::string& body) {
    m_loaded.clear();
    m_loadedStore.clear();
    EXPECT_TRUE(loadList(m_loaded, m_loadedStore, m_dir.write("loaded.tcs", header() + body)));
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
