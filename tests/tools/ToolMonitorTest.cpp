// tovan-tool monitor against pseudo-terminals whose master side plays the module.
#include "PtyPair.h"
#include "ToolProcess.h"
#include "console/TestTelegrams.h"
#include "frames/CHexCodec.h"

#include <chrono>
#include <gtest/gtest.h>
#include <regex>
#include <thread>

using tovan::test::PtyPair;
using tovan::test::ToolProcess;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Waits until the tool's output holds `text`.
bool waitForOutput(const ToolProcess& tool, const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (tool.out().find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

Bytes bytesOf(std::string_view hex) {
    Bytes bytes(static_cast<std::size_t>(tovan::CHexCodec::HexByteCount(hex)));
    tovan::CHexCodec().HexToBytes(hex, bytes.data(), bytes.size());
    return bytes;
}

// Entries with their times replaced by "T", which the test cannot know.
std::string withoutTimes(const std::string& out) {
    static const std::regex time("(^|\n)[0-2][0-9]:[0-5][0-9]:[0-5][0-9]  ");
    return std::regex_replace(out, time, "$1T  ");
}

} // namespace

TEST(ToolMonitor, FirstFamilySendsAndReceivesFramesInArrivalOrder) {
    PtyPair module;
    ToolProcess tool({"monitor", module.slavePath(), "--family", "vx31", "--baud", "57600",
                      "--parity", "even", "--stop", "2", "--send", "fe 00 01 02 03", "--send",
                      "FE00010405"});
    EXPECT_EQ(module.read(10, 15000), bytesOf("FE 00 01 02 03 FE 00 01 04 05"));
    module.write(bytesOf("FE 01 01 02 AA A8")); // CS = XOR of LEN, C1, C2, data
    ASSERT_TRUE(waitForOutput(tool, "RX:"));
    tool.interrupt();
    EXPECT_EQ(tool.wait(), 0);
    EXPECT_EQ(withoutTimes(tool.out()), "T  TX:\n FE 00 01 02 03\n"
                                        "T  TX:\n FE 00 01 04 05\n"
                                        "T  RX:\n FE 01 01 02 AA A8\n");
    EXPECT_EQ(tool.err(), "");
}

TEST(ToolMonitor, SecondFamilyDecodesTelegramsWithParse) {
    PtyPair module;
    ToolProcess tool({"monitor", module.slavePath(), "--family", "vm77", "--rtscts", "--parse",
                      "--send", "FF 01 00 FE", "--seconds", "60"});
    EXPECT_EQ(module.read(4, 15000), bytesOf("FF 01 00 FE"));
    module.write(bytesOf(tovan::testTelegram(2)));
    module.write(bytesOf("FF 81 01 00 7F")); // a command frame: shown, never decoded
    ASSERT_TRUE(waitForOutput(tool, "FF 81 01 00 7F"));
    tool.interrupt();
    EXPECT_EQ(tool.wait(), 0);
    EXPECT_EQ(withoutTimes(tool.out()), "T  TX:\n FF 01 00 FE\n"
                                        "T  RX:\n\nESY  EasyMeter GmbH\nIdentification:  4062042B\n"
                                        "Device type:  08  Heat cost allocator\nRSSI: -64 dBm\n\n" +
                                            std::string(tovan::testTelegram(2)) + "\n" +
                                            "T  RX:\n FF 81 01 00 7F\n");
}

TEST(ToolMonitor, EndsAfterTheGivenSecondsAndReportsPortsItCannotOpen) {
    PtyPair module;
    ToolProcess timed({"monitor", module.slavePath(), "--family", "vm77", "--seconds", "1"});
    EXPECT_EQ(timed.wait(), 0);
    EXPECT_EQ(timed.out(), "");

    ToolProcess missing({"monitor", "/dev/tovan-no-such-port", "--family", "vx31"});
    EXPECT_EQ(missing.wait(), 1);
    EXPECT_EQ(missing.err(),
              "Unable to open /dev/tovan-no-such-port. Please check com settings.\n");

    ToolProcess wrong({"monitor", module.slavePath(), "--family", "vx31", "--parse"});
    EXPECT_EQ(wrong.wait(), 2);
    EXPECT_NE(wrong.err().find("--parse decodes telegrams of the vm77 family only"),
              std::string::npos);
}

TEST(ToolMonitor, SaysSoWhenThePortGoesAway) {
    PtyPair module;
    ToolProcess tool(
        {"monitor", module.slavePath(), "--family", "vx31", "--send", "FE 00 01 02 03"});
    EXPECT_EQ(module.read(5, 15000).size(), 5u);
    module.closeMaster();
    EXPECT_EQ(tool.wait(), 1);
    EXPECT_EQ(tool.err(), "tovan-tool: " + module.slavePath() + " went away\n");
}
