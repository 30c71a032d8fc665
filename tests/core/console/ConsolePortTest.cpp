// What became of a frame, told in the traffic: a line held by XOFF, periodic ticks that find
// it busy, a frame that did not reach the line, and a log whose end cannot be written.
#include "core/console/ConsoleCommands.h"
#include "core/frames/FrameBuilder.h"
#include "tests/core/console/ConsoleOnPty.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace tovan;
using namespace tovan::test;
using Lines = std::vector<ConsoleHarness::Line>;

namespace {

constexpr Colour NOTE = 0x808080;

} // namespace

// The module stops the line with XOFF: two frames go to the writer (one on the line, one
// waiting) and are shown; a third Transmit says why it is not sent; periodic ticks meanwhile
// are counted and told once, when a frame goes out after XON.
TEST(ConsolePort, ABusyLineIsToldOnceAndPeriodicSkipsAreCounted) {
    ConsoleOnPty c(ModuleFamily::VX31);
    PortSettings settings = c.harness.console().state().port;
    settings.dcb.fOutX = 1;
    c.harness.console().setPortSettings(settings);
    ASSERT_TRUE(c.open());
    c.pty.write({0x13}); // XOFF
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    c.harness.takeLines();

    const Bytes frame = frame::buildVx31Frame(0x01, 0x02, {0xAA});
    for (int i = 0; i < 3; ++i)
        c.send(frame);
    const Lines held = c.harness.takeLines();
    ASSERT_EQ(held.size(), 3u);
    EXPECT_EQ(held[2], (ConsoleHarness::Line{"\nT  Not sent: the previous frame is still on the line",
                                             NOTE}));

    c.harness.console().deliver(CD_TOGGLE_PERIODIC, nullptr, 0);
    for (int i = 0; i < 4; ++i)
        c.send(frame);
    EXPECT_TRUE(c.harness.takeLines().empty()) << "skipped ticks show nothing yet";
    c.pty.write({0x11}); // XON: the two held frames leave, and the line is free again
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    c.send(frame);
    const Lines resumed = c.harness.takeLines();
    ASSERT_EQ(resumed.size(), 2u);
    EXPECT_EQ(resumed[0].colour, traffic::TX_COLOUR);
    EXPECT_EQ(resumed[1], (ConsoleHarness::Line{
                              "\nT  4 periodic frames skipped while the line was busy", NOTE}));
}

// The writer's report comes back after the frame's own entry: grey in the traffic, and in the
// status bar.
TEST(ConsolePort, AFrameThatDidNotReachTheLineIsToldWithItsReason) {
    ConsoleHarness harness(ModuleFamily::VM77);
    harness.takeLines();
    const std::uint8_t timedOut[] = {ETIMEDOUT, 0, 0, 0};
    harness.console().deliver(CD_TX_FAILED, timedOut, sizeof timedOut);
    const std::string text = "Transmit failed: the line did not take the frame in time (is a "
                             "handshake holding it?)";
    EXPECT_EQ(harness.takeLines(), (Lines{{"\nT  " + text, NOTE}}));
    EXPECT_EQ(harness.statusMessages, std::vector<std::string>{text});
}

// Up to 64 KiB wait in memory for the next write; when the console closes and they cannot be
// written, the user hears of it, as of any failed write.
TEST(ConsolePort, ALogWhoseEndCannotBeWrittenIsToldOnClosing) {
    ConsoleHarness harness(ModuleFamily::VM77);
    harness.logFileAnswers.push_back("/dev/full");
    harness.console().toggleLogging();
    const Bytes telegram = telegramBytes(0);
    harness.console().deliver(CD_RX_FRAME, telegram.data(), telegram.size());
    harness.destroyConsole();
    ASSERT_EQ(harness.errors.size(), 1u);
    EXPECT_EQ(harness.errors[0].text, "Writing the log file /dev/full failed: No space left on "
                                      "device. Logging has been disabled.");
}
