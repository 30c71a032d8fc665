// Ports that come and go all day: the life cycles of a console's port repeated many times,
// after which the process holds as many descriptors and threads as before, its memory has not
// grown beyond a small margin, and no cycle took long. TOVAN_SOAK_CYCLES sets the count
// (scripts/soak runs the long version).
#include "core/frames/FrameBuilder.h"
#include "core/hub/ConsoleMessage.h"
#include "core/serial/SerialChannel.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ConsoleHarness.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScratchDir.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <unistd.h>

using namespace tovan;
using namespace tovan::test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool addressSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool addressSanitized = true;
#else
constexpr bool addressSanitized = false;
#endif
#else
constexpr bool addressSanitized = false;
#endif

int cycles() {
    const char* text = std::getenv("TOVAN_SOAK_CYCLES");
    return text && std::atoi(text) > 0 ? std::atoi(text) : 60;
}

int entriesIn(const char* folder) {
    int count = 0;
    if (DIR* dir = ::opendir(folder)) {
        while (const dirent* entry = ::readdir(dir))
            count += entry->d_name[0] != '.';
        ::closedir(dir);
    }
    return count;
}

long residentKilobytes() {
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// What the process holds, before and after the cycles.
struct Holdings {
    int descriptors = entriesIn("/proc/self/fd") - 1; // less the one listing them
    int threads = entriesIn("/proc/self/task");
    long kilobytes = residentKilobytes();
};

// Runs `cycle` the given number of times after a few to warm up, and checks what is left.
void soak(const std::function<void(int)>& cycle) {
    for (int i = 0; i < 5; ++i)
        cycle(i);
    const Holdings before;
    Clock::duration longest{};
    const int count = cycles();
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        cycle(i);
        longest = std::max(longest, Clock::now() - start);
    }
    const Holdings after;
    EXPECT_EQ(after.descriptors, before.descriptors);
    EXPECT_EQ(after.threads, before.threads) << "a reader, writer or sequence still runs";
    // AddressSanitizer keeps freed memory in quarantine, and finds leaks itself.
    if (!addressSanitized) {
        EXPECT_LT(after.kilobytes - before.kilobytes, 8 * 1024) << "memory grew";
    }
    EXPECT_LT(longest, 5s) << "a cycle hung";
    std::printf("%d cycles: descriptors %d -> %d, threads %d -> %d, resident %ld -> %ld kB, "
                "longest cycle %.1f ms\n",
                count, before.descriptors, after.descriptors, before.threads, after.threads,
                before.kilobytes, after.kilobytes,
                std::chrono::duration<double, std::milli>(longest).count());
}

// A console of the second family on a pseudo-terminal: port open, logging on.
struct OpenConsole {
    explicit OpenConsole(const std::string& log) : harness(ModuleFamily::VM77, &channel) {
        PortSettings settings = PortSettings::forFamily(ModuleFamily::VM77);
        settings.portName = pty.slavePath();
        harness.console().setPortSettings(settings);
        harness.logFileAnswers.push_back(log);
        harness.console().toggleLogging();
        harness.console().openPort();
    }
    PtyPair pty;
    SerialChannel channel{ModuleFamily::VM77};
    ConsoleHarness harness;
};

std::vector<std::uint8_t> floodBytes() {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 1000; ++i) {
        const auto f = frame::buildVm77Frame(static_cast<std::uint8_t>(i), {1, 2, 3});
        bytes.insert(bytes.end(), f.begin(), f.end());
    }
    return bytes;
}

} // namespace

TEST(PortLifeCycleSoak, OpenFloodAndCloseWhileFramesArrive) {
    ScratchDir dir;
    const auto flood = floodBytes();
    soak([&](int i) {
        auto console = std::make_unique<OpenConsole>(dir.path("log.txt"));
        ASSERT_TRUE(console->harness.console().portOpen());
        ::fcntl(console->pty.masterFd(), F_SETFL, O_NONBLOCK);
        std::atomic<bool> stop{false};
        std::thread module([&] {
            while (!stop) {
                [[maybe_unused]] ssize_t n =
                    ::write(console->pty.masterFd(), flood.data(), flood.size());
                std::this_thread::sleep_for(1ms);
            }
        });
        console->harness.loop.runFor(std::chrono::milliseconds(2 + i % 5));
        console->harness.destroyConsole();
        stop = true;
        module.join();
    });
}

TEST(PortLifeCycleSoak, TheOtherEndHangsUp) {
    ScratchDir dir;
    soak([&](int) {
        OpenConsole console(dir.path("log.txt"));
        ASSERT_TRUE(console.harness.console().portOpen());
        console.pty.write(frame::buildVm77Frame(1));
        console.pty.closeMaster();
        ASSERT_TRUE(console.harness.runUntil([&] { return !console.harness.errors.empty(); }));
        EXPECT_FALSE(console.harness.console().portOpen());
    });
}

// A simulated module stays; consoles open its port, talk to it and close, again and again.
TEST(PortLifeCycleSoak, ConsolesComeAndGoOnASimulatedModule) {
    ScratchDir dir;
    ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    ChildProcess simulator({TOVAN_MODSIM_PATH, "--family", "vx31"});
    std::string announced;
    ASSERT_TRUE(simulator.readLine(announced));
    soak([&](int i) {
        ConsoleHarness harness(ModuleFamily::VX31);
        PortSettings settings = PortSettings::forFamily(ModuleFamily::VX31);
        settings.portName = "SIM-VX31-1";
        harness.console().setPortSettings(settings);
        harness.console().openPort();
        ASSERT_TRUE(harness.console().portOpen());
        const auto frame = frame::buildVx31Frame(1, static_cast<std::uint8_t>(i));
        harness.console().deliver(CD_SEND_FRAME, frame.data(), frame.size());
        ASSERT_TRUE(
            harness.runUntil([&] { return harness.console().traffic().receivedCount() == 1; }));
    });
}

TEST(PortLifeCycleSoak, ATestSequenceEndsWithItsConsole) {
    soak([&](int i) {
        ConsoleHarness harness(ModuleFamily::VM77);
        harness.console().toggleTestSequence();
        harness.loop.runFor(std::chrono::milliseconds(i % 3));
    });
}
