// The reader's own time is not a pause on the line: a reader held up after a read (here by an
// owner slow to queue its hand-over, as a busy machine holds it up) still receives a frame whose
// bytes straddle the delay whole, instead of dropping it as cut off by a 20 ms pause.
#include "core/frames/FrameBuilder.h"
#include "core/hub/ConsoleMessage.h"
#include "core/serial/SerialChannel.h"
#include "tests/support/PtyPair.h"
#include "tests/support/RecordingEndpoint.h"

#include <gtest/gtest.h>
#include <thread>

using namespace tovan;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

namespace {

// post() runs on the reader's thread; this one keeps the reader away from the port for 60 ms.
class SlowToQueueEndpoint : public test::RecordingEndpoint {
public:
    void post(std::function<void()> task) override {
        std::this_thread::sleep_for(60ms);
        RecordingEndpoint::post(std::move(task));
    }
};

} // namespace

TEST(PortReader, TimeSpentHandingOverIsNoPauseOnTheLine) {
    SerialChannel channel(ModuleFamily::VX31);
    SlowToQueueEndpoint owner;
    test::PtyPair pty;
    DcbTemplate dcb;
    dcb.BaudRate = 115200;
    std::uint8_t slot = SerialChannel::NO_PORT;
    ASSERT_EQ(channel.OpenPort(pty.slavePath(), dcb, owner, slot), 0u);

    const Bytes first = frame::buildVx31Frame(0x01, 0x02, {0x10});
    const Bytes second = frame::buildVx31Frame(0x03, 0x04, {0x20, 0x21, 0x22});
    Bytes start = first;
    start.insert(start.end(), second.begin(), second.begin() + 3);
    pty.write(start);
    std::this_thread::sleep_for(20ms); // the reader is handing the first frame over
    pty.write(Bytes(second.begin() + 3, second.end()));

    ASSERT_TRUE(owner.waitFor(CD_RX_FRAME, 2, 5s));
    const auto frames = owner.messages(CD_RX_FRAME);
    EXPECT_EQ(frames[0].bytes, first);
    EXPECT_EQ(frames[1].bytes, second);
    channel.ClosePort(slot);
}
