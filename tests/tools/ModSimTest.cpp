// The module simulator as a user runs it: a separate process on a pseudo-terminal, found by its
// registered name and opened through the serial channel like any port.
#include "core/frames/FrameBuilder.h"
#include "core/hub/ConsoleMessage.h"
#include "core/serial/FrameAssembler.h"
#include "core/serial/SerialChannel.h"
#include "core/serial/SimulatedPorts.h"
#include "core/wmbus/TelegramReader.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RecordingEndpoint.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/Ser2net.h"
#include "tools/modsim/FaultInjector.h"
#include "tools/modsim/FloodFrames.h"
#include "tools/modsim/SimulatedModule.h"
#include "tools/modsim/TelegramSet.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <thread>

using namespace tovan;
using namespace std::chrono_literals;
using test::ChildProcess;
using test::RecordingEndpoint;
using Bytes = std::vector<std::uint8_t>;

namespace {

class ModSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tovan-modsim-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_runtime = pattern;
        ::setenv("XDG_RUNTIME_DIR", m_runtime.c_str(), 1);
    }
    void TearDown() override {
        m_sim.reset();
        std::system(("rm -rf " + m_runtime).c_str());
    }

    // Starts the simulator and returns the names it printed, one per module.
    std::vector<std::string> start(std::vector<std::string> args) {
        args.insert(args.begin(), TOVAN_MODSIM_PATH);
        m_sim = std::make_unique<ChildProcess>(
            args, std::vector<std::string>{"XDG_RUNTIME_DIR=" + m_runtime});
        std::vector<std::string> names;
        std::size_t families = 0;
        for (const std::string& a : args)
            families += a == "--family";
        std::string line;
        while (names.size() < families && m_sim->readLine(line))
            names.push_back(line.substr(0, line.find(' ')));
        return names;
    }

    // Sends each frame and waits for what comes back, one frame at a time.
    void sendEach(SerialChannel& channel, std::uint8_t slot, const std::vector<Bytes>& frames) {
        for (const Bytes& f : frames) {
            channel.SendFrame(slot, f.data(), f.size());
            owner.loop.runFor(250ms);
        }
    }

    void checkInjectedFaults(ModuleFamily family);

    std::vector<Bytes> received() const {
        std::vector<Bytes> frames;
        for (const auto& m : owner.messages(CD_RX_FRAME))
            frames.push_back(m.bytes);
        return frames;
    }

    RecordingEndpoint owner;
    std::unique_ptr<ChildProcess> m_sim;
    std::string m_runtime;
};

using frame::buildVm77Frame;
using frame::buildVx31Frame;

DcbTemplate settings() {
    DcbTemplate dcb;
    dcb.BaudRate = 115200;
    return dcb;
}

// What a receiver makes of the module's output when it follows the receive rules: the
// planned chunks replayed through an assembler with their pauses.
std::vector<Bytes> replayThroughAssembler(ModuleFamily family,
                                          const std::deque<modsim::Chunk>& chunks) {
    auto assembler = FrameAssembler::create(family);
    std::vector<Bytes> frames;
    const auto origin = chunks.empty() ? modsim::Clock::now() : chunks.front().due;
    for (const modsim::Chunk& chunk : chunks) {
        const auto ms = static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(chunk.due - origin).count());
        for (std::uint8_t b : chunk.bytes)
            if (assembler->feed(b, ms))
                frames.emplace_back(assembler->frame(),
                                    assembler->frame() + assembler->frameLength());
    }
    return frames;
}

} // namespace

TEST_F(ModSimTest, AnswersBothFamiliesByteForByteThroughTheirListedNames) {
    const auto names = start({"--family", "vx31", "--family", "vm77", "--telegram-ms", "0"});
    ASSERT_EQ(names, (std::vector<std::string>{"SIM-VX31-1", "SIM-VM77-1"}));

    SerialChannel vx31(ModuleFamily::VX31), vm77(ModuleFamily::VM77);
    std::uint8_t slotA = 0, slotB = 0;
    ASSERT_EQ(vx31.OpenPort("SIM-VX31-1", settings(), owner, slotA), 0u);
    ASSERT_EQ(vm77.OpenPort("SIM-VM77-1", settings(), owner, slotB), 0u);

    sendEach(vx31, slotA, {buildVx31Frame(0x00, 0x01, {0x11, 0x22})});
    sendEach(vm77, slotB, {buildVm77Frame(0x01, {0x11, 0x22})});
    // Malformed input is dropped as a module would: a wrong checksum gets no answer.
    sendEach(vx31, slotA, {{0xFE, 0x00, 0x01, 0x02, 0x55}});

    EXPECT_EQ(received(), (std::vector<Bytes>{buildVx31Frame(0x80, 0x01, {0x11, 0x22}),
                                              buildVm77Frame(0x81, {0x11, 0x22})}));
    vx31.ClosePort(slotA);
    vm77.ClosePort(slotB);
}

TEST_F(ModSimTest, SendsTelegramsOfTheSetAsRawFrames) {
    ASSERT_EQ(start({"--family", "vm77", "--telegram-ms", "100"}).size(), 1u);
    SerialChannel vm77(ModuleFamily::VM77);
    std::uint8_t slot = 0;
    ASSERT_EQ(vm77.OpenPort("SIM-VM77-1", settings(), owner, slot), 0u);
    ASSERT_TRUE(owner.waitFor(CD_RX_FRAME, 5));
    vm77.ClosePort(slot);
    // The meters' telegrams, their signal strength moving a little from telegram to telegram.
    for (const Bytes& frame : received()) {
        bool known = false;
        for (const modsim::Telegram& t : modsim::telegramSet()) {
            const int step =
                static_cast<std::int8_t>(frame.back()) - static_cast<std::int8_t>(t.bytes.back());
            known = known || (std::equal(t.bytes.begin(), t.bytes.end() - 1, frame.begin(),
                                         frame.end() - 1) &&
                              std::abs(step) <= modsim::SimulatedModule::MAX_SIGNAL_STEP);
        }
        EXPECT_TRUE(known);
        EXPECT_EQ(frame.size(), frame[0] + 1u) << "length byte first, the whole telegram after it";
    }
}

// Every simulated meter but the three samples says something readable; the encrypted one
// with the key the README gives.
TEST(ModSimTelegrams, CarryRecordsAndOneMeterEncryptsWithTheKnownKey) {
    TelegramReader reader;
    MeterKeys keys;
    AesKey key{};
    ASSERT_TRUE(MeterKeys::parseKey(modsim::ENCRYPTED_METER_KEY, key));
    keys.set(modsim::ENCRYPTED_METER, key);
    const auto& set = modsim::telegramSet();
    for (std::size_t i = 3; i < set.size(); ++i) {
        const TelegramReading withoutKey = reader.read(set[i].bytes);
        const bool encrypted = withoutKey.meterId == modsim::ENCRYPTED_METER;
        EXPECT_EQ(withoutKey.security, encrypted ? Security::NoKey : Security::None);
        reader.setKeys(keys);
        const TelegramReading reading = reader.read(set[i].bytes);
        reader.setKeys({});
        EXPECT_EQ(reading.security, encrypted ? Security::Decrypted : Security::None);
        EXPECT_GE(reading.records.records.size(), 2u) << set[i].description;
        EXPECT_TRUE(reading.error.empty() && reading.records.stopReason.empty())
            << set[i].description;
    }
}

TEST_F(ModSimTest, RuleFileScriptsReplies) {
    const std::string rules = m_runtime + "/rules.txt";
    std::ofstream(rules) << "# bring-up script\n"
                            "FE 00 01 02 03 -> FE 01 81 02 AA 28 ; FE 00 82 02 80\n"
                            "FE 00 09 09 00 ->\n";
    ASSERT_EQ(start({"--family", "vx31", "--rules", rules}).size(), 1u);
    SerialChannel vx31(ModuleFamily::VX31);
    std::uint8_t slot = 0;
    ASSERT_EQ(vx31.OpenPort("SIM-VX31-1", settings(), owner, slot), 0u);
    sendEach(vx31, slot, {{0xFE, 0x00, 0x01, 0x02, 0x03}, {0xFE, 0x00, 0x09, 0x09, 0x00}});
    vx31.ClosePort(slot);
    EXPECT_EQ(received(), (std::vector<Bytes>{{0xFE, 0x01, 0x81, 0x02, 0xAA, 0x28},
                                              {0xFE, 0x00, 0x82, 0x02, 0x80}}));

    std::ofstream(rules) << "FE 00 -> nonsense\n";
    ChildProcess bad({TOVAN_MODSIM_PATH, "--family", "vx31", "--rules", rules});
    EXPECT_EQ(bad.wait(), 2);
}

// Replies carry stray bytes, wrong checksums and pauses at random; the workbench must
// receive exactly what the receive rules make of the simulator's (replayed) choices.
void ModSimTest::checkInjectedFaults(ModuleFamily family) {
    const bool first = family == ModuleFamily::VX31;
    ASSERT_EQ(start({"--family", first ? "vx31" : "vm77", "--telegram-ms", "0", "--seed", "42",
                     "--bad-checksum", "30", "--gap", "30", "--stray", "30"})
                  .size(),
              1u);
    std::vector<Bytes> frames, replies;
    for (std::uint8_t i = 0; i < 16; ++i) {
        frames.push_back(first ? buildVx31Frame(0x10, i, {0x33}) : buildVm77Frame(i, {0x33}));
        replies.push_back(first ? buildVx31Frame(0x90, i, {0x33})
                                : buildVm77Frame(std::uint8_t(i | 0x80), {0x33}));
    }
    modsim::FaultInjector model({30, 30, 30}, 42);
    std::vector<Bytes> expected;
    for (const Bytes& reply : replies) {
        std::deque<modsim::Chunk> chunks;
        model.plan(reply, true, false, modsim::Clock::now(), chunks);
        for (const Bytes& f : replayThroughAssembler(family, chunks))
            expected.push_back(f);
    }
    ASSERT_GT(model.faultyFrames(), 3);
    ASSERT_LT(model.faultyFrames(), 16);

    SerialChannel channel(family);
    std::uint8_t slot = 0;
    ASSERT_EQ(channel.OpenPort(first ? "SIM-VX31-1" : "SIM-VM77-1", settings(), owner, slot), 0u);
    sendEach(channel, slot, frames);
    channel.ClosePort(slot);
    EXPECT_EQ(received(), expected);
}

TEST_F(ModSimTest, InjectedFaultsOfTheFirstFamilyAreDroppedAsTheReceiveRulesSay) {
    checkInjectedFaults(ModuleFamily::VX31);
}

TEST_F(ModSimTest, InjectedFaultsOfTheSecondFamilyAreDroppedAsTheReceiveRulesSay) {
    checkInjectedFaults(ModuleFamily::VM77);
}

TEST_F(ModSimTest, PortListShowsRunningSimulatorsOnly) {
    ASSERT_EQ(start({"--family", "vx31", "--family", "vx31"}).size(), 2u);
    auto ports = listSimulatedPorts();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].name, "SIM-VX31-1");
    EXPECT_EQ(ports[1].name, "SIM-VX31-2");

    // Killed without a chance to clean up: its entries are stale and no longer listed.
    m_sim->stop(SIGKILL);
    EXPECT_TRUE(listSimulatedPorts().empty());
    EXPECT_EQ(findSimulatedPort("SIM-VX31-1"), "");

    // Ended normally: it removes its own entries.
    ASSERT_EQ(start({"--family", "vm77"}).size(), 1u);
    EXPECT_EQ(listSimulatedPorts().size(), 1u);
    EXPECT_EQ(m_sim->stop(SIGTERM), 0);
    EXPECT_TRUE(listSimulatedPorts().empty());
}

TEST_F(ModSimTest, FloodsAsFastAsThePortTakesAndLosesNothing) {
    ASSERT_EQ(start({"--family", "vx31", "--flood", "50000"}).size(), 1u);
    SerialChannel vx31(ModuleFamily::VX31);
    std::uint8_t slot = 0;
    ASSERT_EQ(vx31.OpenPort("SIM-VX31-1", settings(), owner, slot), 0u);
    const Bytes trigger = buildVx31Frame(0x01, 0x02);
    vx31.SendFrame(slot, trigger.data(), trigger.size());
    const bool all = owner.waitFor(CD_RX_FRAME, 50000, 60s);
    ASSERT_TRUE(all) << owner.messages(CD_RX_FRAME).size() << " frames";
    vx31.ClosePort(slot);
    const auto frames = received();
    for (std::size_t i = 0; i < frames.size(); ++i)
        ASSERT_EQ(modsim::floodSequence(frames[i].data()), static_cast<std::uint16_t>(i)) << i;
    std::string line;
    ASSERT_TRUE(m_sim->readLine(line));
    EXPECT_NE(line.find("flood: wrote 50000 frames (250000 bytes) into the port in"),
              std::string::npos)
        << line;
}

TEST_F(ModSimTest, IdleSimulatorUsesNoCpu) {
    ASSERT_EQ(start({"--family", "vx31", "--family", "vm77", "--telegram-ms", "0"}).size(), 2u);
    const double before = m_sim->cpuSeconds();
    std::this_thread::sleep_for(1s);
    EXPECT_LT(m_sim->cpuSeconds() - before, 0.05);
}

namespace {

// The received frames a monitor printed, in order, without their times.
std::vector<std::string> receivedLines(const std::string& out) {
    std::vector<std::string> frames;
    for (std::size_t at = out.find("RX:\n"); at != std::string::npos;
         at = out.find("RX:\n", at + 1))
        frames.push_back(out.substr(at + 4, out.find('\n', at + 4) - at - 4));
    return frames;
}

} // namespace

// With the simulator's faults and a fixed seed, --show-discarded shows every kind of discard
// while the frames received are exactly those of a run without it.
TEST_F(ModSimTest, MonitorShowsEachDiscardKindAndReceivesTheSameFrames) {
    std::vector<std::string> command{TOVAN_TOOL_PATH, "monitor",   "SIM-VX31-1", "--family",
                                     "vx31",          "--seconds", "3"};
    for (int i = 0; i < 16; ++i)
        command.insert(command.end(), {"--frame", "10 " + std::to_string(10 + i) + " 33"});
    std::map<bool, std::string> outputs;
    for (bool show : {false, true}) {
        ASSERT_EQ(start({"--family", "vx31", "--telegram-ms", "0", "--seed", "42", "--bad-checksum",
                         "30", "--gap", "30", "--stray", "30"})
                      .size(),
                  1u);
        std::vector<std::string> args = command;
        if (show)
            args.push_back("--show-discarded");
        test::ScratchDir files;
        ChildProcess::Setup setup{{"XDG_RUNTIME_DIR=" + m_runtime}, {}, files.path("out"), {}, {}};
        ChildProcess monitor(args, setup);
        ASSERT_EQ(monitor.wait(20000), 0);
        outputs[show] = files.read("out");
        m_sim.reset();
    }
    EXPECT_EQ(receivedLines(outputs[true]), receivedLines(outputs[false]));
    EXPECT_GT(receivedLines(outputs[true]).size(), 3u);
    for (const char* kind : {"discarded, wrong checksum:", "discarded, bytes before a start byte:",
                             "discarded, pause of 20 ms or more inside a frame:"})
        EXPECT_NE(outputs[true].find(kind), std::string::npos) << kind << '\n' << outputs[true];
    EXPECT_EQ(outputs[false].find("discarded"), std::string::npos);
}

// Paced at a line speed, a flood takes at least its time on that line; a rules path must be a
// readable file.
TEST_F(ModSimTest, PacesAtTheGivenBaudRateAndRefusesARulesFolder) {
    ASSERT_EQ(start({"--family", "vm77", "--telegram-ms", "0", "--flood", "200", "--baud", "9600"})
                  .size(),
              1u);
    SerialChannel vm77(ModuleFamily::VM77);
    std::uint8_t slot = 0;
    ASSERT_EQ(vm77.OpenPort("SIM-VM77-1", settings(), owner, slot), 0u);
    const Bytes trigger = buildVm77Frame(0x01);
    const auto sent = std::chrono::steady_clock::now();
    vm77.SendFrame(slot, trigger.data(), trigger.size());
    ASSERT_TRUE(owner.waitFor(CD_RX_FRAME, 200, 20s));
    // 1000 bytes of 10 bits at 9600 baud: 1.04 s on the line.
    EXPECT_GE(std::chrono::steady_clock::now() - sent, 1s);
    vm77.ClosePort(slot);
    std::string line;
    ASSERT_TRUE(m_sim->readLine(line));
    EXPECT_NE(line.find("flood: wrote 200 frames (1000 bytes) into the port in "),
              std::string::npos)
        << line;
    EXPECT_NE(line.find("paced at 9600 baud"), std::string::npos) << line;

    ChildProcess folder({TOVAN_MODSIM_PATH, "--family", "vx31", "--rules", m_runtime},
                        ChildProcess::Setup{{}, {}, {}, m_runtime + "/err", {}});
    EXPECT_EQ(folder.wait(), 2);
    std::ifstream err(m_runtime + "/err");
    std::string message((std::istreambuf_iterator<char>(err)), {});
    EXPECT_NE(message.find("--rules: File is actually a directory"), std::string::npos) << message;
}

// The simulated module behind ser2net: tovan-tool monitor reaches it by either remote name, and
// a port nobody serves is explained.
TEST_F(ModSimTest, MonitorReachesTheModuleThroughSer2netByEitherRemoteName) {
    ASSERT_EQ(start({"--family", "vm77", "--telegram-ms", "0"}).size(), 1u);
    const std::string device = findSimulatedPort("SIM-VM77-1");
    ASSERT_FALSE(device.empty());
    test::Ser2net server(device, m_runtime);
    if (!server.running())
        GTEST_SKIP() << server.why();
    const auto readFile = [](const std::string& path) {
        std::ifstream file(path);
        return std::string((std::istreambuf_iterator<char>(file)), {});
    };
    for (const std::string& name : {server.rfc2217Name(), server.socketName()}) {
        const ChildProcess::Setup files{{}, {}, m_runtime + "/out", m_runtime + "/err", {}};
        ChildProcess monitor({TOVAN_TOOL_PATH, "monitor", name, "--family", "vm77", "--frame", "01",
                              "--pause", "50", "--seconds", "1"},
                             files);
        EXPECT_EQ(monitor.wait(), 0) << readFile(m_runtime + "/err");
        const std::string out = readFile(m_runtime + "/out");
        EXPECT_NE(out.find("TX:\n FF 01 00 FE"), std::string::npos) << name << '\n' << out;
        EXPECT_NE(out.find("RX:\n FF 81 00 7E"), std::string::npos) << name << '\n' << out;
    }

    const std::string nobody = "socket://127.0.0.1:" + std::to_string(test::freeTcpPort());
    ChildProcess refused({TOVAN_TOOL_PATH, "monitor", nobody, "--family", "vm77"},
                         ChildProcess::Setup{{}, {}, {}, m_runtime + "/err", {}});
    EXPECT_EQ(refused.wait(), 1);
    EXPECT_EQ(readFile(m_runtime + "/err"),
              "tovan-tool: cannot open " + nobody + ": connection refused: nothing listens on " +
                  nobody.substr(9) + "\n  Is ser2net running on that host, and is " +
                  nobody.substr(nobody.rfind(':') + 1) +
                  " one of its ports (an accepter in its ser2net.yaml)?\n");
}
