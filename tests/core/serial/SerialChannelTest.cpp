// The serial channel against real tty devices: pseudo-terminals whose master side plays the
// module. Timing margins are generous; this machine is shared.
#include "core/frames/FrameBuilder.h"
#include "core/serial/SerialChannel.h"

#include "tests/support/PtyPair.h"
#include "tests/support/RecordingEndpoint.h"
#include "core/hub/ConsoleMessage.h"

#include <atomic>
#include <fcntl.h>
#include <cerrno>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <thread>

using namespace tovan;
using namespace std::chrono_literals;
using test::PtyPair;
using test::RecordingEndpoint;
using Bytes = std::vector<std::uint8_t>;

namespace {

DcbTemplate lineSettings() {
    DcbTemplate dcb;
    dcb.BaudRate = 115200;
    return dcb;
}

Bytes vx31Frame(std::uint16_t sequence, std::size_t dataBytes = 2) {
    Bytes data;
    for (std::size_t i = 0; i < dataBytes; ++i)
        data.push_back(static_cast<std::uint8_t>(i < 2 ? (sequence >> (8 * i)) : i));
    return frame::buildVx31Frame(0x01, 0x02, data);
}

bool masterHasData(const PtyPair& pty) {
    pollfd pfd{pty.masterFd(), POLLIN, 0};
    return ::poll(&pfd, 1, 0) > 0;
}

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct OpenPort {
    OpenPort(SerialChannel& channel, RecordingEndpoint& owner) : channel(channel) {
        result = channel.OpenPort(pty.slavePath(), lineSettings(), owner, slot);
    }
    ~OpenPort() {
        if (result == 0)
            channel.ClosePort(slot);
    }
    SerialChannel& channel;
    PtyPair pty;
    std::uint8_t slot = SerialChannel::NO_PORT;
    std::uint32_t result = 0;
};

} // namespace

TEST(SerialChannel, DeliversFramesOfBothFamiliesInOrder) {
    SerialChannel vx31(ModuleFamily::VX31);
    SerialChannel vm77(ModuleFamily::VM77);
    RecordingEndpoint owner;
    OpenPort first(vx31, owner);
    OpenPort second(vm77, owner);
    ASSERT_EQ(first.result, 0u);
    ASSERT_EQ(second.result, 0u);

    first.pty.write({0x00, 0x13}); // garbage before a frame start is discarded
    first.pty.write(vx31Frame(1));
    first.pty.write(vx31Frame(2, 255));
    second.pty.write({0xFF, 0x05, 0x00, 0xFA, 0x03, 0xAA, 0xBB, 0xCC});
    ASSERT_TRUE(owner.waitFor(CD_RX_FRAME, 4));

    std::vector<Bytes> frames;
    for (const auto& m : owner.messages(CD_RX_FRAME))
        frames.push_back(m.bytes);
    // Each port keeps its own order; the two ports may interleave.
    std::vector<Bytes> fromFirst, fromSecond;
    for (const Bytes& f : frames)
        (f[0] == 0xFE ? fromFirst : fromSecond).push_back(f);
    EXPECT_EQ(fromFirst, (std::vector<Bytes>{vx31Frame(1), vx31Frame(2, 255)}));
    EXPECT_EQ(fromSecond, (std::vector<Bytes>{{0xFF, 0x05, 0x00, 0xFA}, {0x03, 0xAA, 0xBB, 0xCC}}));
}

TEST(SerialChannel, APauseInsideAFrameDropsIt) {
    SerialChannel channel(ModuleFamily::VX31);
    RecordingEndpoint owner;
    OpenPort port(channel, owner);
    ASSERT_EQ(port.result, 0u);

    const Bytes broken = vx31Frame(7, 4);
    port.pty.write(Bytes(broken.begin(), broken.begin() + 3));
    std::this_thread::sleep_for(150ms);
    port.pty.write(Bytes(broken.begin() + 3, broken.end()));
    port.pty.write(vx31Frame(8));
    ASSERT_TRUE(owner.waitFor(CD_RX_FRAME, 1));
    owner.loop.runFor(100ms);
    const auto frames = owner.messages(CD_RX_FRAME);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, vx31Frame(8));
}

TEST(SerialChannel, ThreePortsPerFamilyAndSlotReuse) {
    SerialChannel vx31(ModuleFamily::VX31);
    SerialChannel vm77(ModuleFamily::VM77);
    RecordingEndpoint owner;
    std::vector<std::unique_ptr<OpenPort>> open;
    for (int i = 0; i < 3; ++i) {
        open.push_back(std::make_unique<OpenPort>(vx31, owner));
        EXPECT_EQ(open.back()->result, 0u);
        EXPECT_EQ(open.back()->slot, i);
    }
    PtyPair fourth;
    std::uint8_t slot = 77;
    EXPECT_EQ(vx31.OpenPort(fourth.slavePath(), lineSettings(), owner, slot),
              SerialChannel::ERR_TOO_MANY_PORTS);
    EXPECT_EQ(slot, 77);

    for (int i = 0; i < 3; ++i) {
        open.push_back(std::make_unique<OpenPort>(vm77, owner));
        EXPECT_EQ(open.back()->result, 0u) << "the other family has its own three slots";
    }

    vx31.ClosePort(1);
    open[1]->result = 1; // already closed
    EXPECT_EQ(vx31.openCount(), 2);
    EXPECT_EQ(vx31.OpenPort(fourth.slavePath(), lineSettings(), owner, slot), 0u);
    EXPECT_EQ(slot, 1);
    vx31.ClosePort(slot);

    // Closing a slot that holds nothing does not hand out another console's place.
    vx31.ClosePort(1);
    EXPECT_EQ(vx31.openCount(), 2);
}

TEST(SerialChannel, FailedOpensReturnTheSystemErrorAndFreeTheSlot) {
    SerialChannel channel(ModuleFamily::VM77);
    RecordingEndpoint owner;
    std::uint8_t slot = 9;
    EXPECT_EQ(channel.OpenPort("/dev/does-not-exist-42", lineSettings(), owner, slot),
              static_cast<std::uint32_t>(ENOENT));
    EXPECT_EQ(channel.OpenPort("ttyDoesNotExist", lineSettings(), owner, slot),
              static_cast<std::uint32_t>(ENOENT));
    EXPECT_EQ(channel.OpenPort("/dev/null", lineSettings(), owner, slot),
              static_cast<std::uint32_t>(ENOTTY)); // a file that is no serial device
    EXPECT_EQ(slot, 9);

    PtyPair pty;
    DcbTemplate noSpeed = lineSettings();
    noSpeed.BaudRate = 0; // what a non-numeric baud text gives
    EXPECT_EQ(channel.OpenPort(pty.slavePath(), noSpeed, owner, slot),
              static_cast<std::uint32_t>(EINVAL));
    EXPECT_EQ(channel.openCount(), 0);

    // The same port twice: the second open is refused while the first holds it.
    ASSERT_EQ(channel.OpenPort(pty.slavePath(), lineSettings(), owner, slot), 0u);
    EXPECT_EQ(slot, 0);
    std::uint8_t other = 9;
    EXPECT_EQ(channel.OpenPort(pty.slavePath(), lineSettings(), owner, other),
              static_cast<std::uint32_t>(EBUSY));
    channel.ClosePort(slot);
}

TEST(SerialChannel, SendFrameEchoesBeforeWriting) {
    SerialChannel channel(ModuleFamily::VX31);
    RecordingEndpoint owner;
    OpenPort port(channel, owner);
    ASSERT_EQ(port.result, 0u);

    bool dataBeforeEcho = true;
    owner.onDeliver = [&](std::uint32_t code) {
        if (code == CD_TX_FRAME)
            dataBeforeEcho = masterHasData(port.pty);
    };
    const Bytes frame = vx31Frame(3);
    EXPECT_EQ(channel.SendFrame(port.slot, frame.data(), frame.size()), 0u);
    EXPECT_FALSE(dataBeforeEcho);
    ASSERT_EQ(owner.messages(CD_TX_FRAME).size(), 1u);
    EXPECT_EQ(owner.messages(CD_TX_FRAME)[0].bytes, frame);
    EXPECT_EQ(port.pty.read(frame.size(), 2000), frame);

    // No port: nothing happens. Too long: refused before anything is shown or copied.
    EXPECT_EQ(channel.SendFrame(SerialChannel::NO_PORT, frame.data(), frame.size()), 0u);
    const Bytes tooLong(261, 0x55);
    EXPECT_EQ(channel.SendFrame(port.slot, tooLong.data(), tooLong.size()),
              static_cast<std::uint32_t>(EMSGSIZE));
    const Bytes largest(260, 0x66);
    EXPECT_EQ(channel.SendFrame(port.slot, largest.data(), largest.size()), 0u);
    EXPECT_EQ(owner.messages(CD_TX_FRAME).size(), 2u);
    EXPECT_EQ(port.pty.read(260, 2000), largest);
}

TEST(SerialChannel, ClosePortWhileTheOwnerIsBusyReturnsAndDropsTheDelivery) {
    SerialChannel channel(ModuleFamily::VX31);
    RecordingEndpoint owner;
    OpenPort port(channel, owner);
    ASSERT_EQ(port.result, 0u);

    // The owner's thread (this one) is busy: the reader hands the frame over and waits.
    port.pty.write(vx31Frame(1));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(channel.ClosePort(port.slot), 0u);
    port.result = 1;
    // The hand-over queued before the close must not reach the owner now.
    owner.loop.runFor(100ms);
    EXPECT_TRUE(owner.messages(CD_RX_FRAME).empty());
}

TEST(SerialChannel, ClosePortWhileTheOwnerBlocksInsideADelivery) {
    SerialChannel channel(ModuleFamily::VX31);
    RecordingEndpoint owner;
    OpenPort port(channel, owner);
    ASSERT_EQ(port.result, 0u);

    std::atomic<bool> inside{false};
    std::atomic<bool> release{false};
    owner.onDeliver = [&](std::uint32_t) {
        inside = true;
        while (!release)
            std::this_thread::sleep_for(1ms);
    };
    std::thread ownerThread([&] { owner.loop.runFor(10s); });
    port.pty.write(vx31Frame(1));
    while (!inside)
        std::this_thread::sleep_for(1ms);

    EXPECT_EQ(channel.ClosePort(port.slot), 0u); // must not wait for the blocked owner
    port.result = 1;
    release = true;
    owner.loop.quit();
    ownerThread.join();
}

TEST(SerialChannel, AVanishedPortEndsItsReaderAndIsReportedOnce) {
    SerialChannel channel(ModuleFamily::VM77);
    RecordingEndpoint owner;
    OpenPort port(channel, owner);
    ASSERT_EQ(port.result, 0u);

    // The console closes its port from inside the loss message, as a console would.
    owner.onDeliver = [&](std::uint32_t code) {
        if (code == CD_PORT_LOST)
            channel.ClosePort(port.slot);
    };
    port.pty.write({0xFF, 0x05, 0x00, 0xFA});
    ASSERT_TRUE(owner.waitFor(CD_RX_FRAME, 1));
    port.pty.closeMaster();
    ASSERT_TRUE(owner.waitFor(CD_PORT_LOST, 1));
    port.result = 1;
    EXPECT_EQ(owner.messages(CD_PORT_LOST)[0].bytes, Bytes{port.slot});
    EXPECT_EQ(channel.openCount(), 0);

    const double before = cpuSeconds();
    owner.loop.runFor(500ms);
    EXPECT_LT(cpuSeconds() - before, 0.2) << "nothing may spin after the loss";
    EXPECT_EQ(owner.messages(CD_PORT_LOST).size(), 1u);
}

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
        return frame::buildVx31Frame(0x01, 0x02,
                                     {std::uint8_t(i), std::uint8_t(i >> 8), std::uint8_t(i >> 16)});
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
            port.pty.write(Bytes(flood.begin() + static_cast<long>(at),
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
