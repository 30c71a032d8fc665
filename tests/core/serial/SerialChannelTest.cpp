// The serial channel against real tty devices: pseudo-terminals whose master side plays the
// module. Timing margins are generous; this machine is shared.
#include "core/hub/ConsoleMessage.h"
#include "tests/core/serial/ChannelTestSupport.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <thread>

using namespace tovan;
using namespace std::chrono_literals;
using namespace tovan::test;

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
    const Bytes lost = owner.messages(CD_PORT_LOST)[0].bytes;
    ASSERT_GT(lost.size(), 1u) << "the slot, then why";
    EXPECT_EQ(lost[0], port.slot);
    EXPECT_EQ(std::string(lost.begin() + 1, lost.end()), "the other end hung up");
    EXPECT_EQ(channel.openCount(), 0);

    const double before = cpuSeconds();
    owner.loop.runFor(500ms);
    EXPECT_LT(cpuSeconds() - before, 0.2) << "nothing may spin after the loss";
    EXPECT_EQ(owner.messages(CD_PORT_LOST).size(), 1u);
}
