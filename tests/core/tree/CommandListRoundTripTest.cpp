#include "ListFixture.h"
#include "tree/CommandListHeader.h"
#include "tree/CommandListIO.h"

#include <filesystem>

using namespace tovan;
using tovan::test::ListFixture;

using RoundTrip = ListFixture;

TEST_F(RoundTrip, RootAloneSavesAsTheHeaderOnly) {
    MemoryCommandTree tree("VM77-M");
    CommandStore store;
    EXPECT_EQ(save(tree, store), "");
    EXPECT_EQ(load(""), "");
    EXPECT_EQ(m_loaded.size(), 0u);

    EXPECT_TRUE(writeListHeader(path("generic.tcs"), GENERIC_LIST_MODEL));
    EXPECT_EQ(readListModel(path("generic.tcs")), "Fehlende Implementierung");
    EXPECT_EQ(readListModel(path("saved.tcs")), "VM77");
    EXPECT_EQ(readListModel(path("missing.tcs")), "");
}

TEST_F(RoundTrip, WritesRecordsAndCloseBlocksAsTheConsoleReadsThem) {
    MemoryCommandTree tree("VM77-M");
    CommandStore store;
    auto setup = addFolder(tree, store, tree.root(), "Setup");
    addCommand(tree, store, setup, "Reset", "FF 01 00 FE");
    addCommand(tree, store, tree.root(), "Ping", "FF 02 00 FD");
    addFolder(tree, store, tree.root(), "Empty");
    const std::string body = save(tree, store);
    EXPECT_EQ(body, "#\r\n\"Empty\"\r\n{\r\n"
                    "#\r\n\"Ping\"\r\nFF 02 00 FD\r\n"
                    "#\r\n\"Setup\"\r\n{\r\n"
                    "  #\r\n  \"Reset\"\r\n  FF 01 00 FE\r\n"
                    "#\r\n}\r\n");
    EXPECT_EQ(load(body), "F Empty\nC Ping=FF 02 00 FD\nF Setup\n  C Reset=FF 01 00 FE\n");
}

TEST_F(RoundTrip, KeepsLabelBytesAndDataAsTheReaderAllows) {
    MemoryCommandTree tree;
    CommandStore store;
    addCommand(tree, store, tree.root(), "a, b", "01,02");
    addCommand(tree, store, tree.root(), "q\"u#o{t}e", "03");
    addCommand(tree, store, tree.root(), std::string(60, 'L'), "04");
    addCommand(tree, store, tree.root(), "Z\xE4hler \xFF", "05"); // Latin-1, 0xFF included
    addCommand(tree, store, tree.root(), "New item", std::string("00 00\0", 6));
    addCommand(tree, store, tree.root(), "Tabbed", "\t06");
    const std::string body = save(tree, store);
    EXPECT_NE(body.find(std::string("00 00\0\r\n", 8)), std::string::npos);
    EXPECT_EQ(load(body), "C a, b=01 02\n"
                          "C " +
                              std::string(48, 'L') +
                              "=04\n"
                              "C New item=" +
                              std::string("00 00\0", 6) +
                              "\n"
                              "C quote=03\n"
                              "C Tabbed=\t06\n"
                              "C Z\xE4hler \xFF=05\n");
}

TEST_F(RoundTrip, EmptyLabelWritesNothingButItsChildren) {
    MemoryCommandTree tree;
    CommandStore store;
    auto outer = addFolder(tree, store, tree.root(), "Outer");
    auto unnamed = addFolder(tree, store, outer, "");
    addCommand(tree, store, unnamed, "Inner", "01");
    addCommand(tree, store, tree.root(), "Top", "02");
    const std::string body = save(tree, store);
    EXPECT_EQ(body, "#\r\n\"Outer\"\r\n{\r\n"
                    "    #\r\n    \"Inner\"\r\n    01\r\n"
                    "  #\r\n  }\r\n#\r\n}\r\n"
                    "#\r\n\"Top\"\r\n02\r\n");
    // The child finds no folder one level up and joins the nearest shallower one.
    EXPECT_EQ(load(body), "F Outer\n  C Inner=01\nC Top=02\n");
}

TEST_F(RoundTrip, KeepsDeepNestingAndThousandsOfItems) {
    MemoryCommandTree tree;
    CommandStore store;
    CommandTree::Item folder = tree.root();
    for (int depth = 1; depth <= 300; ++depth) {
        addCommand(tree, store, folder, "c" + std::to_string(depth), "0" + std::to_string(depth));
        folder = addFolder(tree, store, folder, "f" + std::to_string(depth));
    }
    CommandTree::Item group = nullptr;
    for (int i = 0; i < 4000; ++i) {
        if (i % 40 == 0)
            group = addFolder(tree, store, tree.root(), "g" + std::to_string(i));
        addCommand(tree, store, group, "cmd " + std::to_string(i), "AB");
    }
    const std::string expected = describe(tree, store);
    EXPECT_EQ(load(save(tree, store)), expected);
    EXPECT_EQ(m_loaded.size(), tree.size());
    EXPECT_EQ(m_loadedStore.size(), tree.size());
}

TEST_F(RoundTrip, SavingOverALongerListLeavesNoStaleRecords) {
    MemoryCommandTree big;
    CommandStore bigStore;
    for (int i = 0; i < 50; ++i)
        addCommand(big, bigStore, big.root(), "old " + std::to_string(i), "01");
    save(big, bigStore);
    const std::string file = path("saved.tcs");

    MemoryCommandTree small;
    CommandStore smallStore;
    addCommand(small, smallStore, small.root(), "new", "02");
    ASSERT_TRUE(saveList(small, smallStore, file)); // over the old records, header kept
    EXPECT_EQ(readAll(file), header() + "#\r\n\"new\"\r\n02\r\n");

    EXPECT_FALSE(saveList(small, smallStore, path("absent.tcs")));
    EXPECT_FALSE(std::filesystem::exists(path("absent.tcs")));
}
