// tovan-tool decode, list and check, run as a user runs them.
#include "ScratchDir.h"
#include "ToolProcess.h"
#include "console/TestTelegrams.h"

#include <gtest/gtest.h>

using namespace std::string_literals;
using tovan::test::runTool;

namespace {

class ToolFiles : public ::testing::Test {
protected:
    static std::string header() {
        return "/******************************\r\n*VM77\r\n*Version: 1.0\r\n*\r\n*COM3\r\n"
               "*115200\r\n*RTS/CTS\r\n/******************************\r\n";
    }
    tovan::test::ScratchDir m_dir;
};

const char* const DECODED_C = "\nESY  EasyMeter GmbH\nIdentification:  4062042B\n"
                              "Device type:  08  Heat cost allocator\nRSSI: -64 dBm\n\n";

} // namespace

TEST_F(ToolFiles, DecodesPastedTelegramsAndReportsUnreadableFiles) {
    std::string pasted(tovan::testTelegram(2));
    pasted.erase(std::remove(pasted.begin(), pasted.end(), ' '), pasted.end());
    for (char& c : pasted)
        c = static_cast<char>(std::tolower(c));
    // No table in the working folder: the one beside the tool names the manufacturer.
    const auto result =
        runTool({"decode", m_dir.path("missing.txt"), "-"},
                pasted + "\r\n\n  FF 01 02 03 04 05 06 07 08 09 0A\n12:00:01  RX:\n", m_dir.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, std::string(tovan::testTelegram(2)) + "\n" + DECODED_C +
                              "FF 01 02 03 04 05 06 07 08 09 0A\nnot a telegram\n\n");
    EXPECT_EQ(result.err, "tovan-tool: cannot read " + m_dir.path("missing.txt") +
                              ": No such file or directory\nstandard input:4: not hex text\n");
}

TEST_F(ToolFiles, ListsTheTreeALoadReads) {
    const std::string file =
        m_dir.write("set.tcs", header() + "#\r\n\"Setup\"\r\n{\r\n  #\r\n  \"Z\xE4hler\"\r\n  "
                                          "00 00\0\r\n#\r\n}\r\n#\r\n\"Ping\"\r\nFF 02 00 FD\r\n"s);
    const auto result = runTool({"list", file});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "model: VM77\n1 command \"Ping\" FF 02 00 FD\n1 folder \"Setup\"\n"
                          "  2 command \"Z\xC3\xA4hler\" 00 00\\x00\n");

    EXPECT_EQ(runTool({"list", m_dir.path("none.tcs")}).status, 1);
    EXPECT_EQ(runTool({"list"}).status, 2);
}

TEST_F(ToolFiles, ChecksWhatALoadWouldChange) {
    const std::string clean = m_dir.write("clean.tcs", header() + "#\r\n\"Ping\"\r\nFF 02\r\n");
    auto result = runTool({"check", clean});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, clean + ": 1 items, loads as written\n");

    const std::string odd =
        m_dir.write("odd.tcs", header() + "#\r\n\"" + std::string(49, 'n') + "\"\r\n01\r\n" +
                                   "    #\r\n    \"a{b}\"\r\n02\r\n");
    result = runTool({"check", odd});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, odd + ":10: label \"" + std::string(49, 'n') +
                              "\" has 49 characters; saving keeps the first 48\n" + odd +
                              ":13: label \"ab\" loses the characters {}\n" + odd +
                              ":13: no folder at depth 2 for \"ab\"; placed under the root\n" +
                              odd + ": 2 items, 3 notice(s)\n");
}

TEST(ToolUsage, RefusesWrongCommandLines) {
    auto result = runTool({});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("usage: tovan-tool decode"), std::string::npos);
    result = runTool({"frobnicate"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("unknown command \"frobnicate\""), std::string::npos);
    EXPECT_EQ(runTool({"--help"}).status, 0);
}
