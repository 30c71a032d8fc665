// What a console shows beyond its plain entries when asked: discarded bytes with their reason,
// millisecond times, the meters heard, and a port that comes back.
#include "core/console/ConsoleCommands.h"
#include "core/frames/FrameBuilder.h"
#include "core/hub/ConsoleMessage.h"
#include "core/serial/SerialChannel.h"
#include "core/wmbus/MeterKeyFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ConsoleHarness.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScratchDir.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>
#include <thread>

using namespace tovan;
using namespace tovan::test;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

namespace {

// A console of the first family on a pseudo-terminal, its port open.
struct OpenConsole {
    explicit OpenConsole(ModuleFamily family) : channel(family), harness(family, &channel) {
        PortSettings settings = PortSettings::forFamily(family);
        settings.portName = pty.slavePath();
        harness.console().setPortSettings(settings);
    }
    std::vector<std::string> entriesAfter(const std::function<void()>& write, std::size_t count) {
        harness.takeLines();
        write();
        harness.runUntil([&] { return harness.lines.size() >= count + 1; }, 3s);
        harness.loop.runFor(100ms); // nothing more comes
        std::vector<std::string> texts;
        for (const auto& line : harness.takeLines())
            texts.push_back(line.text);
        return texts;
    }

    PtyPair pty;
    SerialChannel channel;
    ConsoleHarness harness;
};

// Stray bytes, a good frame, one with a wrong checksum, one cut by a pause, a good one.
void writeFaultyStream(PtyPair& pty) {
    pty.write({0x00, 0x11});
    pty.write(frame::buildVx31Frame(1, 2));
    Bytes bad = frame::buildVx31Frame(3, 4);
    bad.back() ^= 0xFF;
    pty.write(bad);
    pty.write({0xFE, 0x00});
    std::this_thread::sleep_for(60ms);
    pty.write(frame::buildVx31Frame(5, 6));
}

// A simulated VM77 module in a runtime folder of the test's own, which the test's consoles
// look in too.
class Simulator {
public:
    explicit Simulator(const std::string& runtime) : m_runtime(runtime) {
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        start();
    }
    void start() {
        m_process = std::make_unique<ChildProcess>(
            std::vector<std::string>{TOVAN_MODSIM_PATH, "--family", "vm77", "--telegram-ms", "40",
                                     "--seed", "11"},
            std::vector<std::string>{"XDG_RUNTIME_DIR=" + m_runtime});
        std::string line;
        m_process->readLine(line);
    }
    void stop() { m_process->stop(SIGTERM); }

private:
    std::string m_runtime;
    std::unique_ptr<ChildProcess> m_process;
};

// The harness's console with the simulated module's port as its port.
ModuleConsole& onSimulatedModule(ConsoleHarness& harness) {
    PortSettings settings = PortSettings::forFamily(ModuleFamily::VM77);
    settings.portName = "SIM-VM77-1";
    harness.console().setPortSettings(settings);
    return harness.console();
}

} // namespace

TEST(BringUpInsight, DiscardedBytesShowWithTheirReasonBesideTheSameFrames) {
    OpenConsole plain(ModuleFamily::VX31);
    plain.harness.console().openPort();
    const auto frames = plain.entriesAfter([&] { writeFaultyStream(plain.pty); }, 2);
    ASSERT_EQ(frames.size(), 2u);

    OpenConsole shown(ModuleFamily::VX31);
    shown.harness.console().runCommand(consolecmd::ID_SHOW_DISCARDED);
    shown.harness.console().openPort();
    const auto all = shown.entriesAfter([&] { writeFaultyStream(shown.pty); }, 5);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[0], "\nT  discarded, bytes before a start byte:\n 00 11");
    EXPECT_EQ(all[1], frames[0]);
    EXPECT_EQ(all[2], "\nT  discarded, wrong checksum:\n FE 00 03 04 F8");
    EXPECT_EQ(all[3], "\nT  discarded, pause of 20 ms or more inside a frame:\n FE 00");
    EXPECT_EQ(all[4], frames[1]);
    EXPECT_EQ(shown.harness.lines[shown.harness.lines.size() - 2].colour, 0x808080u);
}

TEST(BringUpInsight, MillisecondTimesShowTheTimeSinceThePreviousFrame) {
    OpenConsole c(ModuleFamily::VX31);
    ModuleConsole& console = c.harness.console();
    console.runCommand(consolecmd::ID_MILLISECONDS);
    console.runCommand(consolecmd::ID_SIDE_BY_SIDE);
    console.openPort();
    const std::size_t banner = c.harness.lines.size();
    c.pty.write(frame::buildVx31Frame('O', 'K'));
    ASSERT_TRUE(c.harness.runUntil([&] { return c.harness.lines.size() == banner + 1; }));
    // The console is busy for a while; the time is the one the bytes arrived at.
    std::this_thread::sleep_for(150ms);
    c.pty.write(frame::buildVx31Frame('O', 'K'));
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(c.harness.runUntil([&] { return c.harness.lines.size() == banner + 2; }));
    const std::regex entry(
        R"(\n\d\d:\d\d:\d\d\.\d\d\d(?: \(\+(\d+) ms\))?  RX:\n FE 00 4F 4B 04  \.\.OK\.)");
    const std::string& firstText = c.harness.lines[banner].text;
    const std::string& secondText = c.harness.lines[banner + 1].text;
    std::smatch first, second;
    ASSERT_TRUE(std::regex_match(firstText, first, entry)) << firstText;
    ASSERT_TRUE(std::regex_match(secondText, second, entry)) << secondText;
    EXPECT_FALSE(first[1].matched) << "the port's first frame has no interval";
    const int interval = std::stoi(second[1]);
    EXPECT_GE(interval, 140);
    EXPECT_LT(interval, 240) << "the arrival, not the moment the console got to it";
}

// The meters of a simulated module as the console counts them, and as tovan-tool meters reads
// them back out of the console's log: the encrypted meter's reading too, with the same key.
TEST(BringUpInsight, TheMeterTableOfAConsoleAndOfItsLogAgree) {
    ScratchDir dir;
    Simulator simulator(dir.path());
    ConsoleHarness harness(ModuleFamily::VM77);
    ModuleConsole& console = onSimulatedModule(harness);
    const std::string keyFile = dir.write("keys", "71234567 4B414D2D53494D2D4B45592D30303031\n");
    ::chmod(keyFile.c_str(), 0600);
    MeterKeys keys;
    ASSERT_TRUE(MeterKeyFile::load(keyFile, keys).loaded);
    console.traffic().setMeterKeys(keys);
    harness.logFileAnswers.push_back(dir.path("log.txt"));
    console.toggleLogging();
    console.runCommand(consolecmd::ID_MILLISECONDS);
    console.openPort();
    ASSERT_TRUE(console.portOpen());
    ASSERT_TRUE(harness.runUntil([&] { return console.traffic().receivedCount() >= 40; }));
    console.closePort();
    const std::string counted = console.traffic().meters().toCsv();
    const auto& rows = console.traffic().meters().rows();
    ASSERT_GE(rows.size(), 3u);
    std::uint64_t telegrams = 0;
    std::size_t readings = 0;
    bool encrypted = false;
    for (const auto& row : rows) {
        telegrams += row.telegrams;
        readings += !row.reading.empty();
        if (row.meter.identification == "71234567") {
            encrypted = true;
            EXPECT_EQ(row.reading, "12.345 m3");
        }
        EXPECT_LE(row.rssiMin, row.meter.rssiDbm);
        EXPECT_GE(row.rssiMax, row.meter.rssiDbm);
        EXPECT_LE(row.firstSeen, row.lastSeen);
    }
    EXPECT_EQ(telegrams, console.traffic().receivedCount());
    EXPECT_GE(readings, 3u);
    EXPECT_TRUE(encrypted) << "the simulator's encrypted meter was heard";
    EXPECT_LE(rows[0].firstSeen, rows[1].firstSeen) << "in the order first heard";
    harness.destroyConsole(); // writes and closes the log

    ChildProcess::Setup toFile;
    toFile.stdoutPath = dir.path("meters.csv");
    ChildProcess tool({TOVAN_TOOL_PATH, "meters", "--csv", "--keys", keyFile, dir.path("log.txt")},
                      toFile);
    ASSERT_EQ(tool.wait(), 0);
    EXPECT_EQ(dir.read("meters.csv"), counted);
}

TEST(BringUpInsight, ALostPortIsOpenedAgainWhenItComesBackUnlessTheUserClosedIt) {
    ScratchDir dir;
    Simulator simulator(dir.path());
    ConsoleHarness harness(ModuleFamily::VM77);
    ModuleConsole& console = onSimulatedModule(harness);
    console.runCommand(consolecmd::ID_RECONNECT);
    console.openPort();
    ASSERT_TRUE(console.portOpen()) << (harness.errors.empty() ? "" : harness.errors[0].text);

    for (int round = 0; round < 2; ++round) {
        simulator.stop();
        ASSERT_TRUE(harness.runUntil([&] { return console.waitingForPort(); }));
        EXPECT_EQ(harness.panes[0], "Waiting for SIM-VM77-1");
        EXPECT_TRUE(console.isCommandEnabled(consolecmd::ID_CLOSE_PORT));
        console.retryReconnect(); // not there yet
        EXPECT_FALSE(console.portOpen());
        simulator.start();
        ASSERT_TRUE(harness.runUntil([&] {
            console.retryReconnect();
            return console.portOpen();
        }));
        EXPECT_EQ(harness.panes[0], "SIM-VM77-1 opened");
        const std::uint64_t before = console.traffic().receivedCount();
        EXPECT_TRUE(harness.runUntil([&] { return console.traffic().receivedCount() > before; }));
    }
    harness.loop.runFor(50ms);
    EXPECT_EQ(harness.errors.size(), 1u) << "the loss is told once";

    console.closePort(); // the user's close: nothing comes back by itself
    simulator.stop();
    simulator.start();
    console.retryReconnect();
    EXPECT_FALSE(console.portOpen());
    EXPECT_FALSE(console.waitingForPort());
}
