// The console's stored list, its filter, and closing it while frames flood in.
#include "core/frames/FrameBuilder.h"
#include "tests/core/console/ConsoleOnPty.h"
#include "tests/support/ScratchDir.h"

#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <unistd.h>

using namespace tovan;
using namespace tovan::test;
using namespace std::chrono_literals;
using Lines = std::vector<ConsoleHarness::Line>;

TEST(ModuleConsole, ClearViewAndTheStoredListWithItsHeader) {
    ScratchDir dir;
    ConsoleHarness harness(ModuleFamily::VM77);
    ModuleConsole& console = harness.console();
    console.clearView();
    EXPECT_TRUE(harness.lines.empty()) << "the banner goes too";

    const std::string path = dir.write("list.tcs", "the old list\r\n");
    deliverText(console, CD_STORE_LIST, path);
    const std::string saved = dir.read("list.tcs");
    EXPECT_EQ(saved.find("\r\n*VM77\r\n"), saved.find("\r\n")) << "the model on line 2";
    EXPECT_EQ(saved.substr(saved.size() - harness.listRecords.size()), harness.listRecords);
    EXPECT_EQ(console.state().commandListPath, path);

    // A save that fails half-way keeps the old file as it was.
    harness.listWritable = false;
    EXPECT_FALSE(console.SaveCommandList(path));
    EXPECT_EQ(dir.read("list.tcs"), saved);
}

// Closing a console that has an open port, an active log and a running test sequence while
// frames flood in: nothing hangs, nothing is touched after the console is gone.
TEST(ModuleConsole, ClosingWhileFramesFloodInNeitherHangsNorCrashes) {
    ScratchDir dir;
    const Bytes flood = [] {
        Bytes bytes;
        for (int i = 0; i < 2000; ++i) {
            const Bytes f = frame::buildVm77Frame(static_cast<std::uint8_t>(i), {1, 2, 3});
            bytes.insert(bytes.end(), f.begin(), f.end());
        }
        return bytes;
    }();
    for (int round = 0; round < 40; ++round) {
        auto c = std::make_unique<ConsoleOnPty>(ModuleFamily::VM77);
        c->harness.logFileAnswers.push_back(dir.path("flood.txt"));
        c->harness.console().toggleLogging();
        c->harness.console().toggleTestSequence();
        ASSERT_TRUE(c->open());
        std::atomic<bool> stop{false};
        // The module writes as long as the port takes it, and goes on after the console is
        // gone (its writes then find the line full).
        ::fcntl(c->pty.masterFd(), F_SETFL, O_NONBLOCK);
        std::thread module([&] {
            while (!stop) {
                [[maybe_unused]] ssize_t n = ::write(c->pty.masterFd(), flood.data(), flood.size());
                std::this_thread::sleep_for(1ms);
            }
        });
        c->harness.loop.runFor(std::chrono::milliseconds(5 + round % 7));
        c->harness.destroyConsole();
        stop = true;
        module.join();
        EXPECT_EQ(c->channel.openCount(), 0);
    }
}

// The filter shows only matching entries, also those that arrive while it is set; the window's
// 1,000 lines count what is stored, and clearing the filter shows all of it again.
TEST(ModuleConsole, TheFilterHidesEntriesWithoutLosingAny) {
    ConsoleHarness harness(ModuleFamily::VX31);
    ModuleConsole& console = harness.console();
    auto receive = [&](int i) {
        const Bytes frame =
            frame::buildVx31Frame(static_cast<std::uint8_t>(i % 7 == 0 ? 0xAB : 1),
                                  static_cast<std::uint8_t>(i), {std::uint8_t(i >> 8)});
        console.deliver(CD_RX_FRAME, frame.data(), frame.size());
    };
    for (int i = 0; i < 800; ++i)
        receive(i);
    console.traffic().setFilter("fe 01 ab"); // bytes, in any case
    // Frames 300 to 799 fill the window's 1,000 lines; 72 of them hold AB.
    EXPECT_EQ(harness.lines.size(), 72u);
    for (int i = 800; i < 1400; ++i)
        receive(i);
    const std::size_t shown = harness.lines.size();
    EXPECT_EQ(shown, 72u + 85u);
    for (const auto& line : harness.lines)
        ASSERT_NE(line.text.find("FE 01 AB"), std::string::npos);

    console.traffic().setFilter("");
    // Every entry takes two lines: the newest 500 fill the window's 1,000 lines.
    ASSERT_EQ(harness.lines.size(), 500u);
    EXPECT_NE(harness.lines.front().text.find(" FE 01 01 84 03 "), std::string::npos)
        << "the oldest stored entry is frame 900";
    console.traffic().setFilter("0x01 0xAB");
    // The 71 of frames 903 to 1393 that start FE 01 AB, and frames 939 and 1195
    // (FE 01 01 AB ...).
    EXPECT_EQ(harness.lines.size(), 73u) << "hidden entries are kept";
}
