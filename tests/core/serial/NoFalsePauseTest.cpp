// A million frames of each family through a pseudo-terminal, fed in pieces that split frames at
// random places, while the reader is held away from the port for 1 to 2 ms at every hand-over:
// the reader's own time never reads as a pause on the line, so not one frame is lost or garbled.
#include "core/frames/FrameBuilder.h"
#include "core/hub/ConsoleMessage.h"
#include "core/hub/EventLoop.h"
#include "core/hub/OwnerEndpoint.h"
#include "core/serial/SerialChannel.h"
#include "tests/support/PtyPair.h"

#include <atomic>
#include <gtest/gtest.h>
#include <random>
#include <thread>

using namespace tovan;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint32_t FRAMES = 1000000;

// Frame `i` of the stream: a VX31 command frame, or a VM77 raw telegram (no checksum, so one
// false pause would put the receiver out of step), each numbered.
Bytes frameOf(ModuleFamily family, std::uint32_t i) {
    const std::uint8_t a = i & 0xFF, b = (i >> 8) & 0xFF, c = (i >> 16) & 0xFF;
    if (family == ModuleFamily::VX31)
        return frame::buildVx31Frame(0x01, 0x02, {a, b, c});
    return {0x0B, 0x44, 0x2D, 0x2C, a, b, c, 0x00, 0x01, 0x07, 0x7A, 0x20};
}

// Checks every frame as it comes; post() runs on the reader's thread and keeps it away from the
// port for 1 or 2 ms each time.
class SlowCheckingOwner : public OwnerEndpoint {
public:
    explicit SlowCheckingOwner(ModuleFamily family) : m_family(family) {}
    void deliver(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) override {
        if (code != CD_RX_FRAME) {
            ++others;
            return;
        }
        const Bytes expected = frameOf(m_family, received);
        if (Bytes(bytes, bytes + length) != expected && firstWrong < 0)
            firstWrong = static_cast<long>(received);
        ++received;
    }
    void post(std::function<void()> task) override {
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + 1000 * (m_posts++ % 2)));
        loop.post(std::move(task));
    }

    EventLoop loop;
    std::uint32_t received = 0;
    std::uint32_t others = 0; // discards, losses: none expected
    long firstWrong = -1;

private:
    ModuleFamily m_family;
    std::atomic<unsigned> m_posts{0};
};

void floodThroughSlowReader(ModuleFamily family) {
    Bytes stream;
    for (std::uint32_t i = 0; i < FRAMES; ++i) {
        const Bytes f = frameOf(family, i);
        stream.insert(stream.end(), f.begin(), f.end());
    }
    test::PtyPair pty;
    SerialChannel channel(family);
    SlowCheckingOwner owner(family);
    DcbTemplate dcb;
    dcb.BaudRate = 3000000;
    std::uint8_t slot = SerialChannel::NO_PORT;
    ASSERT_EQ(channel.OpenPort(pty.slavePath(), dcb, owner, slot), 0u);
    channel.SetReportDiscards(slot, true);

    std::thread feeder([&] {
        std::mt19937 random(static_cast<unsigned>(family == ModuleFamily::VX31 ? 31 : 77));
        for (std::size_t at = 0; at < stream.size();) {
            const std::size_t piece = std::min<std::size_t>(1 + random() % 700, stream.size() - at);
            pty.write(Bytes(stream.begin() + static_cast<long>(at),
                            stream.begin() + static_cast<long>(at + piece)));
            at += piece;
        }
    });
    std::uint32_t seen = 0;
    auto lastMove = std::chrono::steady_clock::now();
    while (owner.received < FRAMES && std::chrono::steady_clock::now() - lastMove < 10s) {
        owner.loop.runFor(20ms);
        if (owner.received != seen) {
            seen = owner.received;
            lastMove = std::chrono::steady_clock::now();
        }
    }
    feeder.join();
    channel.ClosePort(slot);
    EXPECT_EQ(owner.received, FRAMES);
    EXPECT_EQ(owner.firstWrong, -1);
    EXPECT_EQ(owner.others, 0u) << "nothing discarded";
}

} // namespace

TEST(NoFalsePause, AMillionFramesOfEachFamilyThroughASlowReader) {
    floodThroughSlowReader(ModuleFamily::VX31);
    floodThroughSlowReader(ModuleFamily::VM77);
}
