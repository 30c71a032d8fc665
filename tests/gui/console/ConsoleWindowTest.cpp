// What only the console's widgets show: its panes, texts and sizes as created, the commands as
// actions, the status line's double-clicks, and frames reaching the traffic window.
#include "core/console/ConsoleCommands.h"
#include "core/frames/FrameBuilder.h"
#include "core/hub/ConsoleMessage.h"
#include "gui/composer/CPacketViewDlg.h"
#include "gui/console/CSplitterView.h"
#include "gui/console/CSplitterViewVM77.h"
#include "gui/console/CVX3xSplitterView.h"
#include "gui/console/ConsoleStatusLine.h"
#include "gui/console/TrafficFindBar.h"
#include "gui/serial/PortList.h"
#include "gui/serial/PortSettingsMemory.h"
#include "gui/textwnd/ColorEditWnd.h"
#include "gui/tree/CControlTreeView.h"
#include "tests/support/PtyPair.h"
#include "tests/support/RecordingDialogs.h"
#include "tests/support/ScratchDir.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QPointer>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>

using namespace tovan;
using namespace tovan::test;

namespace {

// A console shown in an MDI area of 1000 x 700 pixels.
template <typename Console>
struct HostedConsole {
    HostedConsole() {
        area.resize(1000, 700);
        area.show();
        console = new Console;
        area.addSubWindow(console);
        console->showMaximized();
        QTest::qWait(50);
    }
    std::string lineText(int line) const {
        return console->outputWindow()->model().store().text(line);
    }

    RecordingDialogs dialogs;
    QMdiArea area;
    Console* console = nullptr;
};

} // namespace

TEST(ConsoleWindow, BuildsItsPanesWithTheirTextsAndSizes) {
    HostedConsole<CVX3xSplitterView> vx31;
    HostedConsole<CSplitterViewVM77> vm77;
    EXPECT_EQ(vx31.console->windowTitle(), "VX31");
    EXPECT_EQ(vm77.console->windowTitle(), "VM77");
    EXPECT_EQ(vx31.console->tree()->rootItem()->text(0), "VX31");
    EXPECT_EQ(vm77.console->tree()->rootItem()->text(0), "VM77-M");
    EXPECT_EQ(vx31.console->menuId(), 130);
    EXPECT_EQ(vm77.console->menuId(), 138);

    CSplitterView& console = *vm77.console;
    ConsoleStatusLine* status = console.findChild<ConsoleStatusLine*>("59393");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->paneText(0), "Communication port closed");
    EXPECT_EQ(status->paneText(1), "Logging disabled");
    // Nothing chosen before: the first port that exists (of the family's, if one says so),
    // else the family's default.
    const QStringList ports = availablePortNames();
    EXPECT_EQ(status->paneText(3),
              ports.isEmpty() ? QStringLiteral("COM1")
                              : PortSettingsMemory::firstPortFor(ModuleFamily::VM77, ports));
    EXPECT_EQ(status->paneText(4), ports.isEmpty() ? QStringLiteral(" ") : QStringLiteral("9600"));
    EXPECT_EQ(status->paneRect(1).width(), 100);
    EXPECT_GE(status->paneRect(3).width(), 50);
    EXPECT_LT(status->geometry().bottom(), console.mainSplitter()->geometry().top())
        << "the status line runs along the top";

    ASSERT_NE(console.findChild<ColorEditWnd*>("1100"), nullptr);
    ASSERT_NE(console.findChild<CPacketViewDlg*>("1002"), nullptr);
    EXPECT_EQ(vm77.lineText(1), "TOVAN wireless");
    EXPECT_EQ(vm77.lineText(2), "TOVAN Commander V" TOVAN_VERSION);
    EXPECT_EQ(console.mainSplitter()->sizes().at(0), 250);
    EXPECT_EQ(console.rightSplitter()->sizes().at(1), 140);
    EXPECT_EQ(console.leftSplitter()->sizes().at(1), 185);
}

TEST(ConsoleWindow, CommandsFollowThePortAndTheParseSwitch) {
    HostedConsole<CSplitterViewVM77> hosted;
    CSplitterView& console = *hosted.console;
    QAction* open = console.commandAction(consolecmd::ID_OPEN_PORT);
    QAction* close = console.commandAction(consolecmd::ID_CLOSE_PORT);
    QAction* parse = console.commandAction(consolecmd::ID_PARSE_RX);
    ASSERT_TRUE(open && close && parse && console.commandAction(consolecmd::ID_TEST_SEQUENCE));
    EXPECT_EQ(open->objectName(), "32772");
    EXPECT_EQ(open->statusTip(),
              "Open the selected COM port to connect to your TOVAN wireless device");
    EXPECT_TRUE(open->isEnabled());
    EXPECT_FALSE(close->isEnabled());

    PortSettings settings = PortSettings::forFamily(ModuleFamily::VM77);
    settings.portName = "ttyTovanNotThere";
    console.console().setPortSettings(settings);
    open->trigger();
    ASSERT_EQ(hosted.dialogs.shown.size(), 1u);
    EXPECT_TRUE(hosted.dialogs.shown[0].text.startsWith(
        "Unable to open ttyTovanNotThere. Please check com settings.\n\nNo such port."));
    EXPECT_EQ(hosted.dialogs.shown[0].caption, "Communication Error");
    EXPECT_EQ(hosted.dialogs.shown[0].icon, DialogService::Icon::Error);

    parse->trigger();
    EXPECT_TRUE(parse->isChecked());
    EXPECT_EQ(HostedConsole<CVX3xSplitterView>().console->commandAction(consolecmd::ID_PARSE_RX),
              nullptr);
}

TEST(ConsoleWindow, StatusLineDoubleClicksReachTheConsole) {
    ScratchDir dir;
    HostedConsole<CVX3xSplitterView> hosted;
    ConsoleStatusLine* status = hosted.console->statusLine();
    hosted.dialogs.fileNames.push_back(QString::fromStdString(dir.path("log.txt")));
    QTest::mouseDClick(status, Qt::LeftButton, {}, status->paneRect(2).center());
    EXPECT_EQ(hosted.dialogs.fileDialogCaptions.size(), 1);
    EXPECT_EQ(status->paneText(1), "Logging to: ");
    EXPECT_EQ(status->paneText(2).toStdString(), dir.path("log.txt"));
    QTest::mouseDClick(status, Qt::LeftButton, {}, status->paneRect(1).center());
    EXPECT_EQ(status->paneText(1), "Logging disabled");
}

TEST(ConsoleWindow, ReceivedFramesReachTheTrafficWindowAndClearViewEmptiesIt) {
    PtyPair pty;
    HostedConsole<CVX3xSplitterView> hosted;
    CSplitterView& console = *hosted.console;
    console.console().deliver(0, nullptr, 0); // a folder selected: nothing breaks
    PortSettings settings = PortSettings::forFamily(ModuleFamily::VX31);
    settings.portName = pty.slavePath();
    console.console().setPortSettings(settings); // what the modal settings dialog's OK does
    console.commandAction(consolecmd::ID_OPEN_PORT)->trigger();
    ASSERT_TRUE(console.console().portOpen());
    EXPECT_FALSE(console.commandAction(consolecmd::ID_OPEN_PORT)->isEnabled());
    EXPECT_TRUE(console.commandAction(consolecmd::ID_CLOSE_PORT)->isEnabled());

    pty.write(frame::buildVx31Frame(0x81, 0x02));
    ASSERT_TRUE(QTest::qWaitFor([&] { return hosted.lineText(2) == " FE 00 81 02 83"; }, 5000));
    EXPECT_EQ(hosted.lineText(1).substr(8), "  RX:");
    console.commandAction(consolecmd::ID_CLEAR_VIEW)->trigger();
    EXPECT_EQ(console.outputWindow()->model().lineCount(), 1);
    EXPECT_EQ(hosted.lineText(0), "");
}

TEST(ConsoleWindow, FindMarksEveryMatchAndTheFilterHidesWithoutLosing) {
    HostedConsole<CVX3xSplitterView> hosted;
    CSplitterView& console = *hosted.console;
    auto receive = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            const auto frame = frame::buildVx31Frame(i % 10 == 0 ? 0xAB : 0x01, 0x02);
            console.console().deliver(CD_RX_FRAME, frame.data(), frame.size());
        }
    };
    receive(0, 1200);
    TrafficFindBar& bar = *console.findBar();
    bar.openFind();
    EXPECT_TRUE(bar.isVisible());
    QTest::keyClicks(bar.findField(), "fe 00 ab");
    // 501 entries of two lines fill the window's 1,000 lines; every tenth holds the bytes.
    ASSERT_EQ(bar.matches().size(), 50u);
    EXPECT_EQ(console.outputWindow()->highlights(), bar.matches());
    EXPECT_EQ(bar.countText(), "50 matches");
    bar.findNext();
    EXPECT_EQ(bar.countText(), "1 of 50");

    bar.filterField()->setText("00 AB");
    EXPECT_EQ(console.outputWindow()->model().lineCount(), 50 * 2 + 1);
    receive(1200, 1300); // arrives while filtered
    EXPECT_EQ(console.outputWindow()->model().lineCount(), 60 * 2 + 1);
    bar.filterField()->clear();
    EXPECT_GE(console.outputWindow()->model().lineCount(), 1000) << "everything stored is back";
}

// The console goes before its panes: a console closed while its find bar is open and filtering
// leaves the bar nothing to reach (run under AddressSanitizer too).
TEST(ConsoleWindow, ClosesWithItsFindBarOpenAndFiltering) {
    HostedConsole<CVX3xSplitterView> hosted;
    TrafficFindBar& bar = *hosted.console->findBar();
    bar.openFind();
    QTest::keyClicks(bar.findField(), "FE");
    bar.filterField()->setText("01");
    QPointer<CSplitterView> console = hosted.console;
    console->close();
    QTest::qWait(50);
    EXPECT_TRUE(console.isNull());
}
