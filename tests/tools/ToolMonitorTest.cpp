// tovan-tool monitor against pseudo-terminals whose master side plays the module.
#include "core/frames/CHexCodec.h"
#include "core/serial/SimulatedPorts.h"
#include "core/wmbus/TestTelegrams.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScratchDir.h"
#include "tests/tools/ToolProcess.h"

#include <chrono>
#include <grp.h>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using tovan::test::PtyPair;
using tovan::test::ToolProcess;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Waits until the tool's output (or its standard error) holds `text`.
bool waitForOutput(const ToolProcess& tool, const std::string& text, bool errors = false) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while ((errors ? tool.err() : tool.out()).find(text) == std::string::npos) {
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
                                        "Device type:  08  Heat cost allocator\nRSSI: -64 dBm\n"
                                        "CI 7A (response), access 43, temporary error, "
                                        "manufacturer bits 40, security mode 22 (2 encrypted "
                                        "blocks)\nsecurity mode 22 is not decrypted here\n\n" +
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
    EXPECT_EQ(
        missing.err().rfind("tovan-tool: cannot open /dev/tovan-no-such-port: no such port\n", 0),
        0u);

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
    EXPECT_EQ(tool.err(),
              "tovan-tool: " + module.slavePath() + " went away: the other end hung up\n");
}

// As a console does: the failure is told once, logging stops, and the run counts as failed.
TEST(ToolMonitor, ALogThatCannotBeWrittenIsToldAndFailsTheRun) {
    PtyPair module;
    ToolProcess tool({"monitor", module.slavePath(), "--family", "vm77", "--seconds", "2", "--log",
                      "/dev/full"});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    module.write({0x0B, 0x44, 0x2D, 0x2C, 0x11, 0x22, 0x33, 0x44, 0x01, 0x07, 0x7A, 0x20});
    module.write({0x0B, 0x44, 0x2D, 0x2C, 0x11, 0x22, 0x33, 0x44, 0x01, 0x07, 0x7A, 0x21});
    EXPECT_EQ(tool.wait(), 1);
    EXPECT_EQ(tool.err(), "tovan-tool: writing the log file /dev/full failed: No space left on "
                          "device; logging stopped\n");
}

namespace {

// Runs the tool as the unprivileged user "nobody" (root drops its rights for that).
tovan::test::ToolResult runAsNobody(const std::vector<std::string>& args) {
    tovan::test::ScratchDir files;
    std::vector<std::string> argv{"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                  "--clear-groups", TOVAN_TOOL_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    tovan::test::ChildProcess::Setup setup;
    setup.stdoutPath = files.path("out");
    setup.stderrPath = files.path("err");
    tovan::test::ChildProcess process(argv, setup);
    const int status = process.wait(20000);
    return {status, files.read("out"), files.read("err")};
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

} // namespace

// Every reason an open fails for, reached for real, each with what to do about it.
TEST(ToolMonitor, TellsWhyAPortCannotBeOpenedAndWhatToDo) {
    PtyPair module;
    const std::string port = module.slavePath();
    if (::geteuid() == 0) {
        // A tty device of the group dialout, opened by a user outside that group.
        const group* dialout = ::getgrnam("dialout");
        ASSERT_NE(dialout, nullptr);
        ASSERT_EQ(::chown(port.c_str(), 0, dialout->gr_gid), 0);
        ASSERT_EQ(::chmod(port.c_str(), 0660), 0);
        const auto denied = runAsNobody({"monitor", port, "--family", "vx31"});
        EXPECT_EQ(denied.status, 1);
        EXPECT_EQ(denied.err, "tovan-tool: cannot open " + port + ": permission denied: " + port +
                                  " may be opened by the group \"dialout\", and you are not in "
                                  "it\n  Add yourself to the group, then log out and in again:\n"
                                  "      sudo usermod -aG dialout $USER\n");
    } else {
        tovan::test::ScratchDir dir;
        const std::string locked = dir.write("locked", "");
        ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
        const auto denied = tovan::test::runTool({"monitor", locked, "--family", "vx31"});
        EXPECT_EQ(denied.err, "tovan-tool: cannot open " + locked +
                                  ": permission denied: nobody may read and write " + locked +
                                  "\n");
    }

    // In use: the second monitor names the program that holds the port.
    ToolProcess holder({"monitor", port, "--family", "vx31", "--send", "FE 00 01 02 03"});
    ASSERT_EQ(module.read(5, 15000).size(), 5u); // the holder has the port open
    const auto busy = tovan::test::runTool({"monitor", port, "--family", "vx31"});
    EXPECT_EQ(busy.status, 1);
    EXPECT_TRUE(startsWith(busy.err, "tovan-tool: cannot open " + port +
                                         ": in use by tovan-tool "
                                         "(pid "))
        << busy.err;

    const auto missing = tovan::test::runTool({"monitor", "ttyTOVAN9", "--family", "vx31"});
    EXPECT_TRUE(startsWith(missing.err, "tovan-tool: cannot open ttyTOVAN9: no such port\n"));
    EXPECT_NE(missing.err.find("ports"), std::string::npos) << "lists the ports there are";

    const auto notSerial = tovan::test::runTool({"monitor", "/dev/null", "--family", "vx31"});
    EXPECT_EQ(notSerial.status, 1);
    EXPECT_TRUE(startsWith(notSerial.err, "tovan-tool: cannot open /dev/null: not a serial port"));
}

// --frame adds start byte, length and checksum by the composer's rules, in order with --send;
// a frame that cannot go out ends the monitor with the limit it broke.
TEST(ToolMonitor, BuildsFramesOfBothFamiliesAndNamesTheLimitOfOnesThatCannotGo) {
    PtyPair first;
    ToolProcess vx31({"monitor", first.slavePath(), "--family", "VX31", "--frame", "00 01 11 22",
                      "--send", "FE 00 01 02 03", "--frame", "00 01", "--seconds", "1"});
    EXPECT_EQ(first.read(17, 15000), bytesOf("FE 02 00 01 11 22 30 FE 00 01 02 03 FE 00 00 01 01"));
    EXPECT_EQ(vx31.wait(), 0);

    PtyPair second;
    ToolProcess vm77({"monitor", second.slavePath(), "--family", "Vm77", "--frame", "01 11 22",
                      "--frame", "01", "--seconds", "1"});
    EXPECT_EQ(second.read(10, 15000), bytesOf("FF 01 02 11 22 CF FF 01 00 FE"));
    EXPECT_EQ(vm77.wait(), 0);

    std::string bytes300;
    for (int i = 0; i < 300; ++i)
        bytes300 += i ? " 00" : "00";
    ToolProcess refused({"monitor", second.slavePath(), "--family", "vm77", "--send", bytes300});
    EXPECT_EQ(refused.wait(), 1);
    EXPECT_EQ(refused.err(), "tovan-tool: frame 1 has 300 bytes; a frame may have at most 260\n");
    const auto noRoom = tovan::test::runTool(
        {"monitor", second.slavePath(), "--family", "vm77", "--frame", "01 " + bytes300});
    EXPECT_EQ(noRoom.status, 2);
    EXPECT_NE(noRoom.err.find("has 300 data bytes; a frame holds at most 255"), std::string::npos)
        << noRoom.err;
}

// A simulated module's registration names its family; frames of the other family are told
// once, whichever way round.
TEST(ToolMonitor, TakesTheFamilyOfASimulatedModuleAndTellsFramesOfTheOtherFamily) {
    tovan::test::ScratchDir runtime;
    const char* previous = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = previous ? previous : "";
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    PtyPair module;
    const std::string name = tovan::registerSimulatedPort("VM77", module.slavePath());
    ASSERT_EQ(name, "SIM-VM77-1");
    {
        ToolProcess vm77({"monitor", name, "--frame", "01", "--seconds", "60"});
        EXPECT_EQ(module.read(4, 15000), bytesOf("FF 01 00 FE"));
        for (int i = 0; i < 2; ++i) { // a VX31 answer: FE read as a raw frame's length
            module.write(bytesOf("FE 00 81 00 81"));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_TRUE(waitForOutput(vm77, "warning", true));
        vm77.interrupt();
        EXPECT_EQ(vm77.wait(), 0);
        EXPECT_EQ(vm77.err(), "tovan-tool: warning: the module sends vx31 frames (FE 00 81 00 81), "
                              "which a vm77 receiver does not take; try --family vx31\n");
    }
    const auto byDevice = tovan::test::runTool({"monitor", module.slavePath(), "--seconds", "1"});
    EXPECT_EQ(byDevice.status, 0) << byDevice.err;
    ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    if (!previous)
        ::unsetenv("XDG_RUNTIME_DIR");

    const auto unknown = tovan::test::runTool({"monitor", module.slavePath(), "--seconds", "1"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("--family is needed"), std::string::npos) << unknown.err;

    ToolProcess vx31({"monitor", module.slavePath(), "--family", "vx31", "--seconds", "60"});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    module.write(bytesOf(tovan::testTelegram(2))); // bytes before any FE, then a pause
    EXPECT_TRUE(waitForOutput(vx31, "warning", true));
    vx31.interrupt();
    EXPECT_EQ(vx31.wait(), 0);
    EXPECT_EQ(vx31.out(), "");
    EXPECT_EQ(vx31.err(), "tovan-tool: warning: the module sends vm77 frames (37 44 79 16 2B 04 62 "
                          "40 ...), which a vx31 receiver does not take; try --family vm77\n");
}
