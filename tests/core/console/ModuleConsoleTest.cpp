// The console's behaviour without windows: its port, the traffic entries it shows and logs,
// the message protocol, logging failures and closing while frames flood in.
#include "core/console/ModuleConsole.h"

#include "core/console/ConsoleCommands.h"
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

TEST(ModuleConsole, OpensAndClosesItsPortWithItsTexts) {
    ConsoleOnPty c(ModuleFamily::VX31);
    ModuleConsole& console = c.harness.console();
    EXPECT_EQ(c.harness.panes[0], "Communication port closed");
    EXPECT_EQ(c.harness.panes[3], c.pty.slavePath()); // as the settings dialog returned it

    ASSERT_TRUE(c.open());
    EXPECT_EQ(c.harness.panes[0], c.pty.slavePath() + " opened");
    EXPECT_TRUE(c.harness.portOpenShown);
    EXPECT_EQ(c.harness.resends, 1);
    EXPECT_FALSE(console.isCommandEnabled(consolecmd::ID_OPEN_PORT));
    EXPECT_FALSE(console.isCommandEnabled(consolecmd::ID_CHOOSE_PORT));
    EXPECT_TRUE(console.isCommandEnabled(consolecmd::ID_CLOSE_PORT));
    EXPECT_FALSE(console.runCommand(consolecmd::ID_CHOOSE_PORT)) << "no settings while open";

    console.closePort();
    EXPECT_EQ(c.harness.panes[0], "Communication port closed");
    EXPECT_FALSE(c.harness.portOpenShown);
    EXPECT_EQ(c.harness.resends, 2);
    EXPECT_TRUE(console.isCommandEnabled(consolecmd::ID_OPEN_PORT));
    EXPECT_EQ(c.channel.openCount(), 0);

    // A name that names nothing: the message, and the console stays as it was.
    c.harness.portAnswer = "/dev/tovan-no-such-port";
    console.choosePort();
    console.openPort();
    ASSERT_EQ(c.harness.errors.size(), 1u);
    // The console's words, then why: here, no such port, and the ports there are.
    EXPECT_EQ(c.harness.errors[0].text.rfind(
                  "Unable to open /dev/tovan-no-such-port. Please check com settings.\n\n"
                  "No such port.\nThe ports of this system:",
                  0),
              0u)
        << c.harness.errors[0].text;
    EXPECT_EQ(c.harness.errors[0].caption, "Communication Error");
    EXPECT_FALSE(console.portOpen());
    EXPECT_TRUE(console.isCommandEnabled(consolecmd::ID_OPEN_PORT));
    EXPECT_EQ(c.harness.resends, 3);
}

TEST(ModuleConsole, TheFourthConsoleOfAFamilyFindsNoPortLeft) {
    SerialChannel vx31(ModuleFamily::VX31);
    SerialChannel vm77(ModuleFamily::VM77);
    std::vector<std::unique_ptr<PtyPair>> ptys;
    std::vector<std::unique_ptr<ConsoleHarness>> consoles;
    auto openConsole = [&](ModuleFamily family, SerialChannel& channel) {
        ptys.push_back(std::make_unique<PtyPair>());
        consoles.push_back(std::make_unique<ConsoleHarness>(family, &channel));
        consoles.back()->portAnswer = ptys.back()->slavePath();
        consoles.back()->console().choosePort();
        consoles.back()->console().openPort();
        return consoles.back().get();
    };
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(openConsole(ModuleFamily::VX31, vx31)->console().portOpen());
    ConsoleHarness* fourth = openConsole(ModuleFamily::VX31, vx31);
    EXPECT_FALSE(fourth->console().portOpen());
    ASSERT_EQ(fourth->errors.size(), 1u);
    EXPECT_EQ(fourth->errors[0].text,
              "Too many communication ports opened. Please close one port.");
    EXPECT_EQ(fourth->errors[0].caption, "Communication Error");
    EXPECT_TRUE(openConsole(ModuleFamily::VM77, vm77)->console().portOpen());

    // Closing a console that never held a port frees nobody's slot.
    fourth->destroyConsole();
    EXPECT_EQ(vx31.openCount(), 3);
}

TEST(ModuleConsole, ShowsTransmittedAndReceivedFramesAsEntriesOfItsFamily) {
    for (ModuleFamily family : {ModuleFamily::VX31, ModuleFamily::VM77}) {
        SCOPED_TRACE(std::string(modelName(family)));
        const bool first = family == ModuleFamily::VX31;
        const std::string end = first ? "\n" : "\r\n";
        ConsoleOnPty c(family);
        ASSERT_TRUE(c.open());
        c.harness.takeLines(); // the banner

        const Bytes command =
            first ? frame::buildVx31Frame(0x01, 0x02, {0x03}) : frame::buildVm77Frame(0x05);
        c.send(command);
        EXPECT_EQ(c.pty.read(command.size(), 2000), command);
        const std::string hex = first ? "FE 01 01 02 03 01" : "FF 05 00 FA";
        EXPECT_EQ(c.harness.takeLines(), (Lines{{end + "T  TX:" + end + " " + hex, TX}}));

        const Bytes answer = first ? frame::buildVx31Frame(0x81, 0x02) : Bytes{0x01, 0x7F};
        c.pty.write(answer);
        ASSERT_TRUE(c.waitForLines(c.harness.lines.size() + 1));
        const std::string answerHex = first ? "FE 00 81 02 83" : "01 7F";
        EXPECT_EQ(c.harness.takeLines(), (Lines{{end + "T  RX:" + end + " " + answerHex, RX}}));
    }
}

TEST(ModuleConsole, ParsedTelegramsShowThreePartsAndLogOneText) {
    ScratchDir dir;
    ConsoleOnPty c(ModuleFamily::VM77);
    ModuleConsole& console = c.harness.console();
    c.harness.logFileAnswers.push_back(dir.path("log.txt"));
    console.toggleLogging();
    EXPECT_EQ(c.harness.panes[1], "Logging to: ");
    EXPECT_EQ(c.harness.panes[2], dir.path("log.txt"));
    console.runCommand(consolecmd::ID_PARSE_RX);
    EXPECT_TRUE(console.isCommandChecked(consolecmd::ID_PARSE_RX));
    ASSERT_TRUE(c.open());
    c.harness.takeLines();

    const std::string telegram(testTelegram(2));
    c.pty.write(telegramBytes(2));
    ASSERT_TRUE(c.waitForLines(c.harness.lines.size() + 3));
    const CTelegramDecoder decoder;
    // The decoded header, and under it what the sample's layers say (its payload is encrypted
    // with a mode the workbench does not decrypt).
    const std::string decoded = decoder.Decode(telegram) +
                                "CI 7A (response), access 43, temporary error, manufacturer bits "
                                "40, security mode 22 (2 encrypted blocks)\r\n"
                                "security mode 22 is not decrypted here\r\n";
    EXPECT_EQ(
        c.harness.takeLines(),
        (Lines{{"\r\n" + telegram + "\r\n", RX}, {"\r\n" + decoded, DECODED}, {"\r\nT  RX:", RX}}));
    // A command frame is not a telegram: shown as with parsing off. Sent frames are not logged.
    const std::size_t shown = c.harness.lines.size();
    c.send(frame::buildVm77Frame(0x01));
    c.pty.write({0xFF, 0x81, 0x00, 0x7E});
    ASSERT_TRUE(c.waitForLines(shown + 2));
    console.closePort();
    console.toggleLogging();
    EXPECT_EQ(withoutTime(dir.read("log.txt")), "\r\nT  RX:\r\n" + decoded + " \r\n" + telegram +
                                                    "\r\n" + "\r\nT  RX:\r\n FF 81 00 7E");
}

// Off and on again with the switch appends to the same file; the first family logs too, in
// the text it shows.
TEST(ModuleConsole, LoggingOffAndOnAppendsToTheSameFile) {
    for (ModuleFamily family : {ModuleFamily::VX31, ModuleFamily::VM77}) {
        SCOPED_TRACE(std::string(modelName(family)));
        ScratchDir dir;
        dir.write("log.txt", "older text that the chosen file loses");
        ConsoleHarness harness(family);
        ModuleConsole& console = harness.console();
        harness.logFileAnswers.push_back(dir.path("log.txt"));
        console.toggleLogging();
        const Bytes a = frame::buildVx31Frame(1, 2);
        const Bytes b = frame::buildVx31Frame(3, 4);
        console.deliver(CD_RX_FRAME, a.data(), a.size());
        console.toggleLogging();
        EXPECT_EQ(harness.panes[1], "Logging disabled");
        console.deliver(CD_RX_FRAME, b.data(), b.size()); // not logged
        console.statusBarDoubleClicked(1);                // on again, no dialog
        EXPECT_EQ(harness.panes[1], "Logging to: ");
        console.deliver(CD_RX_FRAME, a.data(), a.size());
        console.deliver(CD_TX_FRAME, b.data(), b.size()); // never logged
        harness.destroyConsole();
        const std::string end = family == ModuleFamily::VX31 ? "\n" : "\r\n";
        const std::string entry = end + "T  RX:" + end + " FE 00 01 02 03";
        EXPECT_EQ(withoutTime(dir.read("log.txt")), entry + entry);
        EXPECT_TRUE(harness.logFileAnswers.empty());
    }
}

TEST(ModuleConsole, ALogThatCannotBeWrittenIsToldAndSwitchedOff) {
    ScratchDir dir;
    ConsoleHarness harness(ModuleFamily::VM77);
    ModuleConsole& console = harness.console();
    harness.logFileAnswers.push_back(dir.path("no-such-folder/log.txt"));
    console.toggleLogging();
    ASSERT_EQ(harness.errors.size(), 1u);
    EXPECT_EQ(harness.errors[0].text, "Unable to create the log file " +
                                          dir.path("no-such-folder/log.txt") +
                                          ": No such file or directory. Logging stays disabled.");
    EXPECT_EQ(harness.panes[1], "Logging disabled");
    EXPECT_FALSE(console.logging().loggingOn());

    // A disk that fills up: logging goes off and the user is told once.
    harness.logFileAnswers.push_back("/dev/full");
    console.statusBarDoubleClicked(2);
    EXPECT_TRUE(console.logging().loggingOn());
    const Bytes frame{0x01, 0x02};
    for (int i = 0; i < 3; ++i) {
        console.deliver(CD_RX_FRAME, frame.data(), frame.size());
        harness.loop.processPending();
    }
    EXPECT_FALSE(console.logging().loggingOn());
    EXPECT_EQ(harness.panes[1], "Logging disabled");
    ASSERT_EQ(harness.errors.size(), 2u);
    EXPECT_EQ(harness.errors[1].text, "Writing the log file /dev/full failed: No space left on "
                                      "device. Logging has been disabled.");
    EXPECT_EQ(harness.lines.size(), 1u + 3u) << "the window shows every frame all the same";
}

TEST(ModuleConsole, PeriodicSendingIgnoresTheTreeButSendsTheComposersFrames) {
    ConsoleOnPty c(ModuleFamily::VX31);
    ModuleConsole& console = c.harness.console();
    ASSERT_TRUE(c.open());
    const Bytes frame = frame::buildVx31Frame(1, 2);
    console.deliver(CD_TOGGLE_PERIODIC, nullptr, 0);
    deliverText(console, CD_LOAD_COMMAND, "FE 00 09 09 00");
    console.deliver(CD_SEND_SELECTED, frame.data(), frame.size());
    EXPECT_TRUE(c.pty.read(1, 200).empty());
    EXPECT_TRUE(c.harness.loaded.empty());
    EXPECT_EQ(c.harness.layoutCalls, 1);
    c.send(frame);
    EXPECT_EQ(c.pty.read(frame.size(), 2000), frame);

    const int resends = c.harness.resends;
    console.deliver(CD_TOGGLE_PERIODIC, nullptr, 0);
    EXPECT_EQ(c.harness.resends, resends + 1);
    // A text payload ends at its first zero byte.
    const std::string withZero("FE 00 01 02 03\0garbage", 22);
    deliverText(console, CD_LOAD_COMMAND, withZero);
    deliverText(console, CD_SAVE_COMMAND, withZero);
    EXPECT_EQ(c.harness.loaded, std::vector<std::string>{"FE 00 01 02 03"});
    EXPECT_EQ(c.harness.savedData, std::vector<std::string>{"FE 00 01 02 03"});
    console.deliver(CD_SEND_SELECTED, frame.data(), frame.size());
    EXPECT_EQ(c.pty.read(frame.size(), 2000), frame);
}

TEST(ModuleConsole, StatusLineDoubleClicks) {
    ScratchDir dir;
    ConsoleOnPty c(ModuleFamily::VX31);
    ModuleConsole& console = c.harness.console();
    console.statusBarDoubleClicked(1); // no file yet: stays off, asks nothing
    EXPECT_EQ(c.harness.panes[1], "Logging disabled");
    c.harness.logFileAnswers.push_back(dir.path("a.txt"));
    console.statusBarDoubleClicked(2);
    EXPECT_EQ(c.harness.panes[1], "Logging to: ");
    EXPECT_EQ(c.harness.panes[2], dir.path("a.txt"));
    c.harness.logFileAnswers.push_back(dir.path("b.txt"));
    console.statusBarDoubleClicked(2); // while logging: nothing
    EXPECT_EQ(c.harness.logFileAnswers.size(), 1u);
    console.statusBarDoubleClicked(1);
    EXPECT_EQ(c.harness.panes[1], "Logging disabled");

    const int dialogs = c.harness.portDialogs;
    console.statusBarDoubleClicked(3);
    console.statusBarDoubleClicked(4);
    EXPECT_EQ(c.harness.portDialogs, dialogs + 2);
    ASSERT_TRUE(c.open());
    console.statusBarDoubleClicked(3);
    console.statusBarDoubleClicked(4);
    console.statusBarDoubleClicked(0);
    EXPECT_EQ(c.harness.portDialogs, dialogs + 2) << "no settings while the port is open";
    EXPECT_EQ(console.state().pendingStatusAction, ConsoleState::NONE);
}

TEST(ModuleConsole, ALostPortIsClosedAndToldOnce) {
    ConsoleOnPty c(ModuleFamily::VM77);
    ASSERT_TRUE(c.open());
    c.pty.closeMaster();
    ASSERT_TRUE(c.harness.runUntil([&] { return !c.harness.errors.empty(); }));
    EXPECT_FALSE(c.harness.console().portOpen());
    EXPECT_EQ(c.channel.openCount(), 0);
    EXPECT_EQ(c.harness.panes[0], "Communication port closed");
    EXPECT_TRUE(c.harness.console().isCommandEnabled(consolecmd::ID_OPEN_PORT));
    c.harness.loop.runFor(200ms);
    ASSERT_EQ(c.harness.errors.size(), 1u);
    EXPECT_EQ(c.harness.errors[0].text, "Communication port " + c.pty.slavePath() + " lost.");
    EXPECT_EQ(c.harness.errors[0].caption, "Communication Error");
}
