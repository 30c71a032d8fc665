#include "core/tree/CommandListFile.h"
#include "core/tree/CommandListHeader.h"
#include "core/tree/CommandListIO.h"
#include "tests/core/tree/ListFixture.h"
#include "tests/support/ScratchDir.h"

#include <filesystem>

using namespace tovan;
using ReadList = tovan::test::ListFixture;

TEST_F(ReadList, SortsSiblingsAndReadsIndentationAndDataLines) {
    EXPECT_EQ(load("#\r\n\"b\"\r\n    x1\r\n"
                   "#\r\n\"A\"\r\n{\r\n"
                   "   #\r\n   \"in A\"\r\n   \ty\r\n" // odd indentation: depth 2
                   "#\r\n\"c\"\r\nz\r\n"),
              "F A\n  C in A=\ty\nC b=x1\nC c=z\n");
}

TEST_F(ReadList, PlacesRecordsWithoutAFolderAboveThemUnderTheNearestShallowerOne) {
    std::string body;
    for (int depth = 1; depth <= 10; ++depth) {
        const std::string indent(2 * (depth - 1), ' ');
        body +=
            indent + "#\r\n" + indent + "\"f" + std::to_string(depth) + "\"\r\n" + indent + "{\r\n";
    }
    // Depth 12 finds no folder at depth 11 and goes into the deepest one, f10.
    body += std::string(22, ' ') + "#\r\n" + std::string(22, ' ') + "\"deep\"\r\n 01\r\n";
    body += "    #\r\n    \"late child\"\r\n    02\r\n"; // depth 3: into f2, read last
    std::string expected;
    for (int depth = 1; depth <= 10; ++depth)
        expected += std::string(2 * (depth - 1), ' ') + "F f" + std::to_string(depth) + "\n";
    expected += std::string(20, ' ') + "C deep=01\n";
    expected += "    C late child=02\n"; // sorts after f3
    EXPECT_EQ(load(body), expected);

    // Before any folder: under the root.
    EXPECT_EQ(load("      #\r\n      \"orphan\"\r\n03\r\n"), "C orphan=03\n");
}

TEST_F(ReadList, ReadsLongLinesWholeAndAFinalDataLineWithoutLineEnd) {
    const std::string label(5000, 'L');
    const std::string data(200000, 'D');
    const std::string loaded =
        load("#\r\n\"" + label + "\"\r\n" + data + "\r\n#\r\n\"zlast\"\r\n01 02");
    EXPECT_TRUE(loaded == "C " + label + "=" + data + "\nC zlast=01 02\n"); // too long to print
}

TEST_F(ReadList, SeesLineEndsAsATextModeReaderDoes) {
    // LF alone works too; a lone CR is an ordinary byte; 0xFF does not end the file.
    EXPECT_EQ(load("#\n\"a\rb\"\n01\r\r\n#\r\n\"\xFF\"\r\n02\r\n"), "C a\rb=01\r\nC \xFF=02\n");
    // A folder record cut off before its brace is lost.
    EXPECT_EQ(load("#\r\n\"x\"\r\n01\r\n#\r\n\"cut\"\r\n"), "C x=01\n");
}

TEST_F(ReadList, CreatesAMissingListEmptyAndReadsNoFolder) {
    EXPECT_TRUE(loadList(m_loaded, m_loadedStore, m_dir.path("missing.tcs")));
    EXPECT_TRUE(std::filesystem::exists(m_dir.path("missing.tcs")));
    EXPECT_EQ(std::filesystem::file_size(m_dir.path("missing.tcs")), 0u);
    EXPECT_FALSE(loadList(m_loaded, m_loadedStore, m_dir.path()));
    EXPECT_EQ(m_loaded.size(), 0u);
}

TEST_F(ReadList, ListsWhatTheLoadChanged) {
    m_dir.write("odd.tcs", "/***\r\n*VX31\r\n*\r\n*\r\n*\r\n*\r\n*\r\n/***\r\n"
                           "#\r\n\"" +
                               std::string(50, 'x') +
                               "\"\r\n01\r\n"
                               "#\r\n\"we{ir}d\"\r\n\"02,03#\r\n"
                               "     #\r\n     \"orphan\"\r\n04\r\n"
                               "#\r\n\"cut\"\r\n");
    std::vector<LoadNotice> notices;
    ASSERT_TRUE(loadList(m_loaded, m_loadedStore, m_dir.path("odd.tcs"), &notices));
    std::vector<std::string> seen;
    for (const LoadNotice& notice : notices)
        seen.push_back(std::to_string(notice.line) + ": " + notice.message);
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "10: label \"" + std::string(50, 'x') +
                            "\" has 50 characters; saving keeps the first 48",
                        "13: label \"weird\" loses the characters {}",
                        "13: data of \"weird\" loses the characters \"#",
                        "13: data of \"weird\" has 1 comma(s), read as spaces",
                        "16: odd indentation of 5 spaces, read as depth 3",
                        "16: no folder at depth 2 for \"orphan\"; placed under the root",
                        "19: the file ends inside the record of \"cut\", which is lost",
                    }));

    notices.clear();
    ASSERT_TRUE(
        loadList(m_loaded, m_loadedStore, m_dir.write("short.tcs", "/***\r\n*VX31\r\n"), &notices));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].message, "the header has fewer than 8 lines");
}

// Which kind of console a document opens in: its second line names the model.
TEST(DocumentKind, TheSecondLineNamesTheConsole) {
    test::ScratchDir dir;
    const std::vector<std::string> names{"VX31", "VM77-M"};
    auto kindOf = [&](const std::string& bytes) {
        return documentKindFor(dir.write("list.tcs", bytes), names);
    };
    EXPECT_EQ(kindOf("/****\r\n*VX31\r\n*Version: 1.0\r\n"), 0u);
    EXPECT_EQ(kindOf("/****\r\n*VM77\r\n"), 1u) << "no kind is named VM77: the last one";
    EXPECT_EQ(kindOf("/****\n*Fehlende Implementierung\n"), 1u);
    EXPECT_EQ(kindOf("/****\n* V X 3 1\n"), 0u) << "spaces do not count";
    EXPECT_EQ(kindOf("\r\n*VM77-M\r\n"), 0u) << "an empty first line";
    EXPECT_EQ(kindOf(""), 0u);
    EXPECT_EQ(kindOf("/****\r\n"), 0u) << "no second line: no model";
    EXPECT_EQ(kindOf("/****\r\n*VX31"), 0u) << "the file ends inside the second line";
    EXPECT_EQ(kindOf("/****\r\n*VX3"), 1u);
    EXPECT_EQ(documentKindFor(dir.path("missing.tcs"), names), 0u);
}
