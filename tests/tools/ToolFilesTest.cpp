// tovan-tool decode, list and check, run as a user runs them.
#include "core/textwnd/TextSearch.h"
#include "core/wmbus/TestTelegrams.h"
#include "tests/support/ScratchDir.h"
#include "tests/tools/ToolProcess.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>

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
                              ": No such file or directory\nstandard input:4: not hex text; give "
                              "a telegram as hex bytes in any case, two digits a byte, each with "
                              "0x or without, spaces, tabs, colons, commas or dashes between them "
                              "or nothing (\"2E 44 93 15\", \"2e449315\", \"0x2E, 0x44\", "
                              "\"2E:44:93\")\n");
}

// A telegram copied from a C array, a debugger or a sniffer decodes as the spaced form does,
// in exactly the forms the find bar takes as bytes.
TEST_F(ToolFiles, DecodeTakesTheByteFormsOfTheFindBar) {
    const std::string spaced(tovan::testTelegram(2));
    std::string hex0x, colons, dashes, tabs;
    for (std::size_t at = 0; at < spaced.size(); at += 3) {
        const std::string byte = spaced.substr(at, 2);
        const bool first = at == 0;
        hex0x += (first ? "0x" : ", 0x") + byte;
        colons += (first ? "" : ":") + byte;
        dashes += (first ? "" : "-") + byte;
        tabs += (first ? "" : "\t") + byte;
    }
    const std::string odd = "0x37, 0x4";
    EXPECT_EQ(tovan::hexBytesQuery(odd), ""); // the find bar refuses it too

    const auto result = runTool({"decode"}, hex0x + "\n" + colons + "\r\n" + dashes + "\n" + tabs +
                                                "\n" + odd + "\n");
    EXPECT_EQ(result.status, 0);
    const std::string decoded = spaced + "\n" + DECODED_C;
    EXPECT_EQ(result.out, decoded + decoded + decoded + decoded);
    EXPECT_EQ(result.err.rfind("standard input:5: not hex text", 0), 0u) << result.err;
}

// A log names only times of day: its first day comes from --date, else it is today, and the
// tool says so (on standard error: the CSV stays a CSV).
TEST_F(ToolFiles, MetersDatesALogOverMidnightFromTheDayGiven) {
    const std::string entry = "  RX:\r\n " + std::string(tovan::testTelegram(2)) + "\r\n\r\n";
    const std::string log = m_dir.write("log.txt", "23:59:50" + entry + "00:00:10" + entry);
    auto result = runTool({"meters", "--csv", "--date", "2026-12-31", log});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find(",2,2026-12-31 23:59:50,2027-01-01 00:00:10,20.0,"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(result.err, "");

    result = runTool({"meters", log});
    EXPECT_EQ(result.status, 0);
    const std::string said = "taken to start today, ";
    const std::size_t at = result.err.find(said);
    ASSERT_NE(at, std::string::npos) << result.err;
    const std::string today = result.err.substr(at + said.size(), 10);
    EXPECT_NE(result.out.find(today + " 23:59:50"), std::string::npos) << result.out;

    result = runTool({"meters", "--date", "2026-02-30", log});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("\"2026-02-30\" names no day"), std::string::npos) << result.err;
}

TEST_F(ToolFiles, DecodesRecordsAndJsonWithAKeyFileOnlyItsOwnerCanRead) {
    // The simulator's encrypted water meter, and its key as the README gives it.
    const std::string telegram =
        "2F 44 2D 2C 67 45 23 71 1B 07 7A 21 00 20 05 13 BA F1 62 15 50 EB "
        "C3 65 CE 03 72 53 72 B2 38 9A B6 2A 17 15 44 22 96 F2 29 2A BF "
        "AE D8 C5 82 2A";
    const std::string keys = m_dir.write("keys", "71234567 4B414D2D53494D2D4B45592D30303031\n");
    ::chmod(keys.c_str(), 0600);
    auto result = runTool({"decode", "--records", "--keys", keys}, telegram + "\n", m_dir.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, telegram + "\n\nKAM  Kamstrup Energi A/S\nIdentification:  71234567\n"
                                     "Device type:  07  Water meter\nRSSI: -53 dBm\n"
                                     "CI 7A (response), access 33, no error, security mode 5 (2 "
                                     "encrypted blocks), decrypted\nVolume 12.345 m3\n"
                                     "Volume 11.020 m3 (storage 1, 2026-11-30)\n"
                                     "Date 2026-11-30 (storage 1)\nError flags 0000\n\n");
    result = runTool({"decode", "--json", "--keys", keys}, telegram + "\n", m_dir.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.find("{\"telegram\":\"2F 44"), 0u);
    EXPECT_NE(result.out.find("\"decrypted\":true,\"records\":[{\"text\":\"Volume\",\"value\":"
                              "12.345,\"unit\":\"m3\",\"function\":\"instantaneous\",\"storage\""
                              ":0,\"tariff\":0,\"subunit\":0,\"dif\":\"04\",\"vif\":\"13\"}"),
              std::string::npos);
    EXPECT_EQ(result.out.find('\n'), result.out.size() - 1);
    EXPECT_EQ(result.out.find("4B414D"), std::string::npos);

    ::chmod(keys.c_str(), 0644);
    result = runTool({"decode", "--records", "--keys", keys}, telegram + "\n", m_dir.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("chmod 600 " + keys), std::string::npos);
    EXPECT_EQ(runTool({"decode", "--records", "--json"}, telegram).status, 2);
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
    EXPECT_NE(result.err.find("Usage: tovan-tool [OPTIONS] SUBCOMMAND"), std::string::npos);
    result = runTool({"frobnicate"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("unknown command \"frobnicate\""), std::string::npos);
    EXPECT_EQ(runTool({"--help"}).status, 0);
}

// Each kind of defect in a small file of its own, found at its line; the shipped samples pass.
TEST_F(ToolFiles, CheckFindsEveryDefectKindAndPassesTheSamples) {
    const std::string ping = "#\r\n\"Ping\"\r\nFF 02 00 FD\r\n";
    const std::vector<std::pair<std::string, std::string>> defects{
        {header() + "\"Reset\"\r\n01\r\n" + ping, ":9: text outside any record is skipped"},
        {header() + "#\r\n\"Setup\"\r\n{\r\n  #\r\n  \"Reset\"\r\n  01\r\n",
         ":10: the '{' of folder \"Setup\" is never closed"},
        {header() + ping + "#\r\n}\r\n", ":13: '}' closes no folder"},
        {header() + "#\r\n\"Setup\"\r\n{\r\n  #\r\n  \"Reset\"\r\n  01\r\n" + ping + "#\r\n}\r\n",
         ":16: \"Ping\" stands before the '}' of \"Setup\" (line 10)"},
        {header() + "#\r\n\"Reset\"\r\n" + ping, ":10: the label line of \"Reset\" has no data "
                                                 "line; the loader reads the lines from line 11"},
        {header() + "#\r\n\"Reset\"\r\n0x01 0x02\r\n", ":10: data of \"Reset\" holds characters "
                                                       "that are not hex digits"},
        {header() + "#\r\n\"Reset\"\r\n01 2\r\n", ":10: data of \"Reset\" has an odd number"},
        {ping + ping + ping, ": the file does not begin with the workbench's header"},
        {"/******************************\r\n*VX32\r\n" + header().substr(41) + ping,
         ": line 2 of the header names no model of the workbench"},
    };
    for (const auto& [content, finding] : defects) {
        const std::string file = m_dir.write("defect.tcs", content);
        const auto result = runTool({"check", file});
        EXPECT_EQ(result.status, 1) << finding;
        EXPECT_NE(result.out.find(file + finding), std::string::npos) << result.out;
    }
    for (const char* sample : {"vx31-sample.tcs", "vm77-sample.tcs"}) {
        const auto result = runTool({"check", std::string(TOVAN_EXAMPLES_DIR) + "/" + sample});
        EXPECT_EQ(result.status, 0) << sample << '\n' << result.out;
    }
}

// Standard input and pipes read like files; nothing a label holds can act on the terminal.
TEST_F(ToolFiles, ListAndCheckReadStandardInputAndEscapeWhatATerminalWouldRun) {
    const std::string list = header() + "#\r\n\"\x1B]0;owned\x07\x9B"
                                        "2J\"\r\n01\r\n";
    const auto listed = runTool({"list", "-"}, list);
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out, "model: VM77\n1 command \"\\x1B]0;owned\\x07\\x9B2J\" 01\n");

    const auto checked = runTool({"check", "-"}, list + "#\r\n\"x\x1B\"\r\n0z\r\n");
    EXPECT_EQ(checked.status, 1);
    EXPECT_EQ(checked.out,
              "standard input:13: data of \"x\\x1B\" holds characters that are not "
              "hex digits; sending skips them\nstandard input: 2 items, 1 notice(s)\n");

    const auto foreign = runTool({"list", "/dev/stdin"}, "#\r\n\"Ping\"\r\n01\r\n");
    EXPECT_EQ(foreign.status, 0);
    EXPECT_EQ(foreign.err, "tovan-tool: warning: /dev/stdin: the file does not begin with the "
                           "workbench's header; its first 8 lines are skipped as one\n");
}

// Length byte and table warnings; a line longer than any telegram is refused unkept.
TEST_F(ToolFiles, DecodeWarnsWhatItCannotTrustAndKeepsNoLongLine) {
    std::string cut(tovan::testTelegram(2));
    cut.resize(cut.size() - 6); // two bytes short of what its length byte says
    // A copy of the tool without a table beside it, run where there is none either.
    const std::string tool = m_dir.path("tovan-tool");
    ASSERT_EQ(std::system(("cp " + std::string(TOVAN_TOOL_PATH) + " " + tool).c_str()), 0);
    tovan::test::ChildProcess::Setup setup;
    setup.stdinPath = m_dir.write("in", cut + "\n" + std::string(1600, '0') + "\n" + cut + "\n");
    setup.stdoutPath = m_dir.path("out");
    setup.stderrPath = m_dir.path("err");
    setup.folder = m_dir.path();
    tovan::test::ChildProcess decode({tool, "decode"}, setup);
    EXPECT_EQ(decode.wait(), 0);
    const std::string length = "standard input:1: the length byte 55 says 56 bytes, the telegram "
                               "has 54 (cut short?); decoded as it stands\n";
    EXPECT_EQ(m_dir.read("err"),
              length +
                  "tovan-tool: no manufacturer table \"mbus.cfg\" found (looked for mbus.cfg, " +
                  m_dir.path("mbus.cfg") + ", " + m_dir.path("../share/tovan/mbus.cfg") +
                  "); manufacturer names stay empty\nstandard input:2: longer than the longest "
                  "telegram (255 bytes, 1530 characters even as \"0x2E, 0x44, ...\"); skipped\n" +
                  "standard input:3" + length.substr(16));

    // 50 MB on one line through a pipe: the tool's memory stays that of a short line.
    FILE* pipe = ::popen((std::string(TOVAN_TOOL_PATH) + " decode >/dev/null 2>&1").c_str(), "w");
    ASSERT_NE(pipe, nullptr);
    const std::string block(1 << 20, 'A');
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(std::fwrite(block.data(), 1, block.size(), pipe), block.size());
    std::fputs("\n", pipe);
    EXPECT_EQ(::pclose(pipe), 0);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // A sanitized tool starts with tens of megabytes of shadow memory; only a plain build can
    // be held to this bound.
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);
    EXPECT_LT(children.ru_maxrss, 10 * 1024) << "peak resident kB of the tool";
#endif
}

TEST(ToolUsage, WrongCommandLinesExitTwoNamingTheArgument) {
    auto result = runTool({"monitor", "--bogus", "--seconds", "1"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "tovan-tool monitor: unexpected argument \"--bogus\"\n"
                          "See \"tovan-tool monitor --help\".\n");
    result = runTool({"monitor", "/dev/null", "--family", "vx32"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("--family: vx32 not in {vx31,vm77}"), std::string::npos)
        << result.err;
    result = runTool({"monitor", "/dev/null", "--family", "vx31", "--send", "0x01"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("--send \"0x01\": not hex text"), std::string::npos);

    result = runTool({"decode", "--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("Usage: tovan-tool decode [OPTIONS] [FILE...]"), std::string::npos);
    result = runTool({"monitor", "--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("--show-discarded"), std::string::npos);
    EXPECT_EQ(runTool({"--version"}).out, "tovan-tool " TOVAN_VERSION "\n");
}

// help2man makes the manual page from --help-all: each command must come out as a subsection
// of its own, and no heading of CLI11's may be run into the text around it.
TEST(ToolUsage, TheManualPageGivesEachCommandItsOwnSubsection) {
    const std::string help2man = TOVAN_HELP2MAN;
    if (help2man.empty() || help2man.find("NOTFOUND") != std::string::npos)
        GTEST_SKIP() << "no help2man";
    tovan::test::ScratchDir dir;
    const std::string command = help2man + " --no-info --help-option=--help-all --name=tool " +
                                "--version-string=1 --output=" + dir.path("page.1") + " " +
                                TOVAN_TOOL_PATH;
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string page = dir.read("page.1");
    EXPECT_NE(page.find(".SS \"Subcommands:\"\n"), std::string::npos);
    for (const char* name : {"decode", "list", "check", "ports", "monitor", "meters", "run"})
        EXPECT_NE(page.find(std::string(".SS \"tovan-tool ") + name + " [OPTIONS]"),
                  std::string::npos)
            << name;
    std::istringstream lines(page);
    int headings = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("Positionals:") == std::string::npos &&
            line.find("Options:") == std::string::npos)
            continue;
        ++headings;
        EXPECT_TRUE(line == "Positionals:" || line == "Options:") << line;
    }
    EXPECT_EQ(headings, 10); // the arguments of six commands, the options of four
}
