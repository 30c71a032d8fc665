#include "core/tree/CommandListHeader.h"
#include "core/tree/CommandListIO.h"
#include "tests/core/tree/ListFixture.h"

#include <filesystem>

using namespace tovan;
using RoundTrip = tovan::test::ListFixture;

TEST_F(RoundTrip, RootAloneSavesAsTheHeaderOnly) {
    EXPECT_EQ(save(), "");
    EXPECT_EQ(load(""), "");
    EXPECT_EQ(readListModel(m_dir.path("saved.tcs")), "VM77");
    EXPECT_TRUE(writeListHeader(m_dir.path("generic.tcs"), GENERIC_LIST_MODEL));
    EXPECT_EQ(readListModel(m_dir.path("generic.tcs")), "Fehlende Implementierung");
    EXPECT_EQ(readListModel(m_dir.path("missing.tcs")), "");
}

TEST_F(RoundTrip, WritesRecordsAndCloseBlocksAsTheConsoleReadsThem) {
    addCommand(addFolder(root(), "Setup"), "Reset", "FF 01 00 FE");
    addCommand(root(), "Ping", "FF 02 00 FD");
    addFolder(root(), "Empty");
    const std::string body = save();
    EXPECT_EQ(body, "#\r\n\"Empty\"\r\n{\r\n"
                    "#\r\n\"Ping\"\r\nFF 02 00 FD\r\n"
                    "#\r\n\"Setup\"\r\n{\r\n"
                    "  #\r\n  \"Reset\"\r\n  FF 01 00 FE\r\n"
                    "#\r\n}\r\n");
    EXPECT_EQ(load(body), "F Empty\nC Ping=FF 02 00 FD\nF Setup\n  C Reset=FF 01 00 FE\n");
}

TEST_F(RoundTrip, KeepsLabelBytesAndDataAsTheReaderAllows) {
    addCommand(root(), "a, b", "01,02");
    addCommand(root(), "q\"u#o{t}e", "03");
    addCommand(root(), std::string(60, 'L'), "04");
    addCommand(root(), "Z\xE4hler \xFF", "05"); // Latin-1, 0xFF included
    addCommand(root(), "New item", std::string("00 00\0", 6));
    addCommand(root(), "Tabbed", "\t06");
    const std::string body = save();
    EXPECT_NE(body.find(std::string("00 00\0\r\n", 8)), std::string::npos);
    EXPECT_EQ(load(body), "C a, b=01 02\nC " + std::string(48, 'L') +
                              "=04\nC New item=" + std::string("00 00\0", 6) +
                              "\nC quote=03\nC Tabbed=\t06\nC Z\xE4hler \xFF=05\n");
}

TEST_F(RoundTrip, EmptyLabelWritesNothingButItsChildren) {
    addCommand(addFolder(addFolder(root(), "Outer"), ""), "Inner", "01");
    addCommand(root(), "Top", "02");
    const std::string body = save();
    EXPECT_EQ(body, "#\r\n\"Outer\"\r\n{\r\n"
                    "    #\r\n    \"Inner\"\r\n    01\r\n"
                    "  #\r\n  }\r\n#\r\n}\r\n"
                    "#\r\n\"Top\"\r\n02\r\n");
    // The child finds no folder one level up and joins the nearest shallower one.
    EXPECT_EQ(load(body), "F Outer\n  C Inner=01\nC Top=02\n");
}

TEST_F(RoundTrip, KeepsDeepNestingAndThousandsOfItems) {
    CommandTree::Item folder = root();
    for (int depth = 1; depth <= 300; ++depth) {
        addCommand(folder, "c" + std::to_string(depth), "0" + std::to_string(depth));
        folder = addFolder(folder, "f" + std::to_string(depth));
    }
    for (int i = 0; i < 4000; ++i) {
        if (i % 40 == 0)
            folder = addFolder(root(), "g" + std::to_string(i));
        addCommand(folder, "cmd " + std::to_string(i), "AB");
    }
    EXPECT_EQ(load(save()), describe(m_tree, m_store));
    EXPECT_EQ(m_loaded.size(), m_tree.size());
    EXPECT_EQ(m_loadedStore.size(), m_tree.size());
}

TEST_F(RoundTrip, SavingOverALongerListLeavesNoStaleRecords) {
    for (int i = 0; i < 50; ++i)
        addCommand(root(), "old " + std::to_string(i), "01");
    save();
    m_tree.clear();
    m_store.clear();
    addCommand(root(), "new", "02");
    ASSERT_TRUE(saveList(m_tree, m_store, m_dir.path("saved.tcs"))); // header kept
    EXPECT_EQ(m_dir.read("saved.tcs"), header() + "#\r\n\"new\"\r\n02\r\n");

    EXPECT_FALSE(saveList(m_tree, m_store, m_dir.path("absent.tcs")));
    EXPECT_FALSE(std::filesystem::exists(m_dir.path("absent.tcs")));
}
