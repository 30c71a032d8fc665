// The serial channel under load: a busy console, a stalled line, too few descriptors, a full
// buffer. Pseudo-terminals play the module; timing margins are generous, this machine is shared.
#include "core/hub/ConsoleMessage.h"
#include "tests/core/serial/ChannelTestSupport.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>

using namespace tovan;
using namespace tovan::test;
using namespace std::chrono_literals;

TEST(SerialChannel, KeepsDrainingWhileTheOwnerIsBusy) {
    SerialChannel channel(ModuleFamily::VX31);
    RecordingEndpoint owner;
    OpenPort port(channel, owner);
    ASSERT_EQ(port.result, 0u);

    std::atomic<bool> ownerBlocked{false};
    std::atomic<bool> ownerReleased{false};
    owner.onDeliver = [&](std::uint32_t) {
        if (!ownerBlocked.exchange(true)) {
            std::this_thread::sleep_for(1s);
            ownerReleased = true;
        }
    };
    port.pty.write(vx31Frame(0));

    // 200 KB of frames, written while the owner sleeps in its first delivery.
    constexpr std::uint16_t frames = 20000;
    Bytes flood;
    for (std::uint16_t i = 1; i <= frames; ++i) {
        const Bytes f = vx31Frame(i, 5);
        flood.insert(flood.end(), f.begin(), f.end());
    }
    ASSERT_GE(flood.size(), 200000u);
    std::atomic<bool> writerDone{false};
    bool writerFinishedWhileBlocked = false;
    std::thread writer([&] {
        while (!ownerBlocked)
            std::this_thread::sleep_for(1ms);
        port.pty.write(flood);
        writerFinishedWhileBlocked = !ownerReleased;
        writerDone = true;
    });
    ASSERT_TRUE(owner.waitFor(CD_RX_FRAME, frames + 1u, 60s));
    writer.join();
    EXPECT_TRUE(writerFinishedWhileBlocked) << "the writer had to wait for the console";

    const auto received = owner.messages(CD_RX_FRAME);
    ASSERT_EQ(received.size(), frames + 1u);
    for (std::uint16_t i = 0; i <= frames; ++i)
        ASSERT_EQ(received[i].bytes, vx31Frame(i, i == 0 ? 2 : 5)) << "frame " << i;
}

// The writer, not the caller, waits for the line: with the line stopped (the module sent XOFF)
// SendFrame still returns at once, one more frame may wait, a third is refused without being
// shown, and when the line runs again both frames arrive whole. Closing a stalled port returns.
TEST(SerialChannel, WritesOffTheCallersThreadAndNeverCutsAFrame) {
    RecordingEndpoint owner;
    SerialChannel channel(ModuleFamily::VX31);
    PtyPair pty;
    DcbTemplate slowLine = lineSettings();
    slowLine.BaudRate = 300; // 252 bytes take 8.4 s here
    slowLine.fOutX = 1;
    std::uint8_t slot = SerialChannel::NO_PORT;
    ASSERT_EQ(channel.OpenPort(pty.slavePath(), slowLine, owner, slot), 0u);
    pty.write({0x13}); // XOFF: the port stops sending
    std::this_thread::sleep_for(50ms);

    const Bytes first = vx31Frame(1, 247); // 252 bytes
    const Bytes second = vx31Frame(2, 100);
    const Bytes third = vx31Frame(3, 10);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(channel.SendFrame(slot, first.data(), first.size()), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "SendFrame waited for the line";
    std::this_thread::sleep_for(50ms); // the writer takes the first frame
    EXPECT_EQ(channel.SendFrame(slot, second.data(), second.size()), 0u);
    EXPECT_EQ(channel.SendFrame(slot, third.data(), third.size()),
              static_cast<std::uint32_t>(EBUSY));
    ASSERT_EQ(owner.messages(CD_TX_FRAME).size(), 2u) << "a refused frame is not shown";
    EXPECT_TRUE(pty.read(1, 200).empty());

    pty.write({0x11}); // XON
    Bytes both = first;
    both.insert(both.end(), second.begin(), second.end());
    EXPECT_EQ(pty.read(both.size(), 5000), both);
    EXPECT_EQ(channel.WaitUntilWritten(slot, 5000), 0u);

    pty.write({0x13});
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(channel.SendFrame(slot, first.data(), first.size()), 0u);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(channel.ClosePort(slot), 0u); // interrupts the stalled writer
}

// Every descriptor the port, its reader and its writer need may be the one that is missing:
// each shortage is an open failure with EMFILE, never an exception, and leaves nothing open.
TEST(SerialChannel, RunningOutOfDescriptorsIsAnOpenFailure) {
    RecordingEndpoint owner;
    SerialChannel channel(ModuleFamily::VX31);
    PtyPair pty;
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    // The limit below which exactly `room` descriptor numbers are free.
    auto limitLeaving = [](int room) {
        int limit = 0;
        for (int free = 0; free < room; ++limit)
            free += ::fcntl(limit, F_GETFD) == -1;
        return limit;
    };
    int failures = 0;
    for (int room = 1; room <= 8; ++room) {
        rlimit tight = saved;
        tight.rlim_cur = static_cast<rlim_t>(limitLeaving(room));
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
        std::uint8_t slot = SerialChannel::NO_PORT;
        const std::uint32_t result = channel.OpenPort(pty.slavePath(), lineSettings(), owner, slot);
        ::setrlimit(RLIMIT_NOFILE, &saved);
        if (result == 0) {
            channel.ClosePort(slot);
            continue;
        }
        EXPECT_EQ(result, static_cast<std::uint32_t>(EMFILE)) << "room for " << room;
        EXPECT_EQ(channel.openCount(), 0);
        ++failures;
    }
    EXPECT_GE(failures, 3);
}

// When the console falls so far behind that the reader's memory is full, the reader stops
// draining the port. That pause is the reader's own, not the line's: the frame in progress
// when it began continues with the bytes that waited, and nothing is lost.
TEST(SerialChannel, AFullBufferLosesNoFrame) {
    SerialChannel channel(ModuleFamily::VX31);
    RecordingEndpoint owner;
    OpenPort port(channel, owner);
    ASSERT_EQ(port.result, 0u);

    constexpr int frames = 300000; // 2.1 MB, twice what the reader keeps
    auto frameOf = [](int i) {
        return frame::buildVx31Frame(
            0x01, 0x02, {std::uint8_t(i), std::uint8_t(i >> 8), std::uint8_t(i >> 16)});
    };
    Bytes flood;
    for (int i = 0; i < frames; ++i) {
        const Bytes f = frameOf(i);
        flood.insert(flood.end(), f.begin(), f.end());
    }
    std::atomic<long long> lastProgress{0};
    std::atomic<bool> writerDone{false};
    auto nowMs = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    // The console blocks in its first delivery until the writer has been stuck for a while:
    // the reader's memory and the kernel's buffer are then both full.
    owner.onDeliver = [&, blocked = false](std::uint32_t) mutable {
        if (blocked)
            return;
        blocked = true;
        while (!writerDone && nowMs() - lastProgress < 300)
            std::this_thread::sleep_for(10ms);
    };
    std::thread writer([&] {
        for (std::size_t at = 0; at < flood.size(); at += 4096) {
            port.pty.write(
                Bytes(flood.begin() + static_cast<long>(at),
                      flood.begin() + static_cast<long>(std::min(at + 4096, flood.size()))));
            lastProgress = nowMs();
        }
        writerDone = true;
    });
    const bool all = owner.waitFor(CD_RX_FRAME, frames, 30s);
    writer.join();
    ASSERT_TRUE(all) << owner.messages(CD_RX_FRAME).size() << " frames arrived";
    const auto received = owner.messages(CD_RX_FRAME);
    for (int i = 0; i < frames; ++i)
        ASSERT_EQ(received[static_cast<std::size_t>(i)].bytes, frameOf(i)) << "frame " << i;
}
