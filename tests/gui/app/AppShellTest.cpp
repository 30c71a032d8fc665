// The application as a user meets it: documents opened, saved and closed through the main
// window, the recent files, the caption, the background, the command line and the desktop's
// hand-over, and one console end to end on a simulated module.
#include "core/console/ConsoleCommands.h"
#include "gui/app/CClientBackgroundWnd.h"
#include "gui/app/CDocManagerEx.h"
#include "gui/app/CMainFrame.h"
#include "gui/app/CTOVANStudioApp.h"
#include "gui/app/CTOVANStudioDoc.h"
#include "gui/app/InstanceChannel.h"
#include "gui/app/WorkbenchCommandLine.h"
#include "gui/composer/CPacketViewDlg.h"
#include "gui/console/CSplitterView.h"
#include "gui/textwnd/ColorEditWnd.h"
#include "gui/tree/CControlTreeView.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RecordingDialogs.h"
#include "tests/support/ScratchDir.h"

#include <QAction>
#include <QFile>
#include <QMdiArea>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>

using namespace tovan;
using namespace tovan::test;

namespace {

const std::string HEADER = "/******************************\r\n*VX31\r\n*Version: 1.0\r\n*\r\n"
                           "*COM3\r\n*115200\r\n*RTS/CTS\r\n/******************************\r\n";
const std::string RECORDS = "#\r\n\"Ping\"\r\nFE 00 01 02 03\r\n";

std::string header(const std::string& model) {
    std::string text = HEADER;
    text.replace(text.find("*VX31"), 5, "*" + model);
    return text;
}

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

class AppShell : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, q(dir.path("config")));
        app = std::make_unique<CTOVANStudioApp>();
        ASSERT_TRUE(app->InitInstance({}));
    }
    void TearDown() override {
        for (CTOVANStudioDoc* document : docs().documents())
            document->setModified(false);
        app.reset();
    }

    CMainFrame& frame() { return *app->mainFrame(); }
    CDocManagerEx& docs() { return *app->docManager(); }
    std::string list(const std::string& name, const std::string& model,
                     const std::string& records = RECORDS) {
        return dir.write(name, header(model) + records);
    }
    int consoleCount() { return static_cast<int>(frame().mdiArea()->subWindowList().size()); }

    ScratchDir dir;
    RecordingDialogs dialogs;
    std::unique_ptr<CTOVANStudioApp> app;
};

} // namespace

TEST_F(AppShell, OpensEachListInTheConsoleOfItsModelAndAnOpenOneOnlyOnce) {
    CTOVANStudioDoc* vx31 = docs().openDocumentFile(q(list("a.tcs", "VX31")));
    CTOVANStudioDoc* vm77 = docs().openDocumentFile(q(list("b.tcs", "VM77")));
    ASSERT_TRUE(vx31 && vm77);
    EXPECT_EQ(vx31->console()->family(), ModuleFamily::VX31);
    EXPECT_EQ(vm77->console()->family(), ModuleFamily::VM77);
    EXPECT_EQ(vx31->console()->tree()->rootItem()->childCount(), 1);
    EXPECT_EQ(frame().activeConsole(), vm77->console());

    // Opened again after the file changed: the console comes to the front, nothing is read.
    list("a.tcs", "VX31", RECORDS + RECORDS);
    EXPECT_EQ(docs().openDocumentFile(q(dir.path("a.tcs"))), vx31);
    EXPECT_EQ(consoleCount(), 2);
    EXPECT_EQ(frame().activeConsole(), vx31->console());
    EXPECT_EQ(vx31->console()->tree()->rootItem()->childCount(), 1);

    EXPECT_EQ(docs().openDocumentFile(q(dir.path(""))), nullptr) << "a folder";
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Failed to open document.");
}

TEST_F(AppShell, EachDocumentSavesItsOwnTreeWithItsHeader) {
    CTOVANStudioDoc* vx31 = docs().openDocumentFile(q(list("a.tcs", "VX31")));
    CTOVANStudioDoc* vm77 = docs().openWithTemplate(1, QString());
    ASSERT_TRUE(vx31 && vm77);
    EXPECT_EQ(vm77->title(), "VM77-M1");
    EXPECT_EQ(frame().activeConsole(), vm77->console());

    dialogs.fileNames.push_back(q(dir.path("copy.tcs")));
    ASSERT_TRUE(docs().saveDocumentAs(vx31)); // not the active document
    EXPECT_EQ(dir.read("copy.tcs"), HEADER + RECORDS);
    EXPECT_EQ(vx31->title(), "copy.tcs");
    EXPECT_EQ(dialogs.fileDialogCaptions, QStringList{"Save As"});

    frame().commandAction(57603)->trigger(); // Save the active, new document
    ASSERT_EQ(dialogs.fileDialogCaptions.size(), 2);
}

TEST_F(AppShell, AModifiedDocumentAsksBeforeItCloses) {
    const std::string path = list("a.tcs", "VX31");
    CTOVANStudioDoc* document = docs().openDocumentFile(q(path));
    ASSERT_NE(document, nullptr);
    document->setModified(true);
    dialogs.answers = {DialogService::Answer::Cancel, DialogService::Answer::No};
    document->console()->close();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, q("Save changes to " + path + "?"));
    EXPECT_EQ(dialogs.shown[0].buttons, DialogService::Buttons::YesNoCancel);
    EXPECT_EQ(consoleCount(), 1) << "Cancel keeps it open";
    frame().commandAction(57602)->trigger(); // File Close
    QTest::qWait(20);
    EXPECT_EQ(consoleCount(), 0);
    EXPECT_EQ(dir.read("a.tcs"), HEADER + RECORDS) << "No writes nothing";

    // Closing the main window asks for each modified document; Yes saves it.
    CTOVANStudioDoc* again = docs().openDocumentFile(q(path));
    again->console()->tree()->runCommand(32780); // New command
    dialogs.answers = {DialogService::Answer::Yes};
    EXPECT_TRUE(frame().close());
    EXPECT_NE(dir.read("a.tcs").find("\"New item\""), std::string::npos);
}

TEST_F(AppShell, ASaveThatFailsHalfWayKeepsTheOldFile) {
    std::string records;
    for (int i = 0; i < 200; ++i)
        records += "#\r\n\"Command " + std::to_string(i) + "\"\r\nFE 00 01 02 03\r\n";
    const std::string path = list("big.tcs", "VX31", records);
    CTOVANStudioDoc* document = docs().openDocumentFile(q(path));
    ASSERT_NE(document, nullptr);
    document->setModified(true);

    // The disk fills up after 1,000 bytes of the new file.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool savedOk = docs().saveDocument(document);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(savedOk);
    EXPECT_EQ(dir.read("big.tcs"), header("VX31") + records);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Failed to save document.");
    EXPECT_TRUE(document->isModified());
}

TEST_F(AppShell, RecentFilesKeepTheFourNewestFirst) {
    for (const char* name : {"1.tcs", "2.tcs", "3.tcs", "4.tcs", "5.tcs"})
        docs().openDocumentFile(q(list(name, "VX31")));
    const QStringList expected{q(dir.path("5.tcs")), q(dir.path("4.tcs")), q(dir.path("3.tcs")),
                               q(dir.path("2.tcs"))};
    EXPECT_EQ(docs().recentFiles().paths(), expected);
    QSettings stored(QStringLiteral("TOVAN Command Center V1.1"),
                     QStringLiteral("TOVAN Commander"));
    EXPECT_EQ(stored.value("Recent File List/File1").toString(), expected[0]);
    EXPECT_EQ(stored.value("Recent File List/File4").toString(), expected[3]);
    EXPECT_FALSE(stored.contains("Recent File List/File5"));
}

TEST_F(AppShell, MenusCaptionAndBackgroundFollowTheConsoles) {
    EXPECT_EQ(frame().menuTitles(), (QStringList{"&File", "&View", "&Help"}));
    EXPECT_EQ(frame().windowTitle(), "TOVAN Commander V" TOVAN_VERSION);
    dialogs.listChoices = {1};
    frame().commandAction(57600)->trigger(); // File New asks which kind
    EXPECT_EQ(dialogs.listsShown, QStringList{"New: VX31|VM77-M"});
    ASSERT_NE(frame().activeConsole(), nullptr);
    EXPECT_EQ(frame().activeConsole()->family(), ModuleFamily::VM77);
    EXPECT_EQ(frame().currentMenuId(), 138);
    EXPECT_EQ(frame().menuTitles(),
              (QStringList{"&File", "&Edit", "&View", "&Settings", "&Command", "&Window", "&Help"}));
    // A maximized console adds its own window text, as MDI windows do: " - [VM77]".
    EXPECT_TRUE(frame().windowTitle().startsWith("TOVAN Commander V" TOVAN_VERSION " - VM77-M1"));
    CTOVANStudioDoc* vx31 = docs().openDocumentFile(q(list("a.tcs", "VX31")));
    EXPECT_TRUE(frame().windowTitle().startsWith("TOVAN Commander V" TOVAN_VERSION " - a.tcs"));
    EXPECT_EQ(frame().currentMenuId(), 130);
    frame().activateConsole(docs().documents().front()->console());
    EXPECT_TRUE(frame().windowTitle().startsWith("TOVAN Commander V" TOVAN_VERSION " - VM77-M1"));
    vx31->console()->close();

    // The picture stays centred, also where the area is narrower than the picture.
    EXPECT_EQ(CClientBackgroundWnd::pictureOrigin(QSize(500, 300)), QPoint(-100, 26));
    for (QMdiSubWindow* window : frame().mdiArea()->subWindowList())
        window->showMinimized();
    frame().resize(520, 500);
    QTest::qWait(50);
    QWidget* client = frame().mdiArea()->viewport();
    const QImage shown = client->grab().toImage();
    const QImage picture(QStringLiteral(":/tovan/pictures/background.png"));
    const QPoint origin = CClientBackgroundWnd::pictureOrigin(client->size());
    EXPECT_EQ(shown.pixel(client->width() / 2, client->height() / 2),
              picture.pixel(client->width() / 2 - origin.x(), client->height() / 2 - origin.y()));
    EXPECT_EQ(shown.pixel(2, 2), qRgb(255, 255, 255));
}

TEST_F(AppShell, PrintsTheTrafficTextThroughThePrintDialog) {
    docs().openWithTemplate(0, QString());
    dialogs.printToPdf = q(dir.path("traffic.pdf"));
    frame().commandAction(57607)->trigger();
    EXPECT_EQ(dialogs.printDialogs, 1);
    EXPECT_EQ(dir.read("traffic.pdf").substr(0, 5), "%PDF-");
}

TEST(WorkbenchCommandLine, OnlyOpenOpensFiles) {
    const char* plain[] = {"tovan-workbench", "list.tcs"};
    EXPECT_TRUE(WorkbenchCommandLine::read(2, plain).open.isEmpty());
    EXPECT_EQ(WorkbenchCommandLine::read(2, plain).ignored, QStringList{"list.tcs"}) << "told";
    const char* open[] = {"tovan-workbench", "--open", "a.tcs", "b.tcs", "-style", "fusion"};
    EXPECT_EQ(WorkbenchCommandLine::read(6, open).open, (QStringList{"a.tcs", "b.tcs"}));
    EXPECT_TRUE(WorkbenchCommandLine::read(6, open).ignored.isEmpty());
}

// The program itself: it answers on the terminal without a display, and a second start with
// --open hands its files to the workbench already running.
TEST(WorkbenchProgram, AnswersWithoutAWindowAndHandsFilesToTheRunningOne) {
    ScratchDir dir;
    const std::string output = dir.path("out.txt");
    ChildProcess::Setup toFile;
    toFile.stdoutPath = output;
    ChildProcess help({TOVAN_WORKBENCH_PATH, "--help"}, toFile);
    EXPECT_EQ(help.wait(), 0);
    EXPECT_EQ(dir.read("out.txt").rfind("Usage: tovan-workbench [--open FILE...]", 0), 0u);

    ChildProcess::Setup errors;
    errors.stderrPath = dir.path("err.txt");
    ChildProcess headless({"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u",
                           "QT_QPA_PLATFORM", TOVAN_WORKBENCH_PATH},
                          errors);
    EXPECT_EQ(headless.wait(), 1);
    EXPECT_NE(dir.read("err.txt").find("xvfb-run -a tovan-workbench"), std::string::npos);

    ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    InstanceChannel running;
    ASSERT_TRUE(running.listen());
    InstanceChannel busySecond; // finds the first listening: leaves its socket alone
    EXPECT_FALSE(busySecond.listen());
    QSignalSpy handedOver(&running, &InstanceChannel::filesHandedOver);
    ChildProcess::Setup inFolder;
    inFolder.environment = {"XDG_RUNTIME_DIR=" + dir.path(), "QT_QPA_PLATFORM=offscreen"};
    inFolder.folder = dir.path();
    ChildProcess second({TOVAN_WORKBENCH_PATH, "--open", "x.tcs"}, inFolder);
    ASSERT_TRUE(handedOver.wait(10000));
    EXPECT_EQ(handedOver.at(0).at(0).toStringList(), QStringList{q(dir.path("x.tcs"))});
    int status = -1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (status = second.wait(10)) != -1; }, 10000));
    EXPECT_EQ(status, 0);
}

// The fallback folder for the socket may lie in /tmp, where anyone can make one first.
TEST(InstanceChannel, TrustsOnlyAFolderOfItsOwnThatIsNoLink) {
    ScratchDir dir;
    const QString fresh = q(dir.path("fresh"));
    EXPECT_TRUE(InstanceChannel::isPrivateFolder(fresh));
    EXPECT_EQ(QFile::permissions(fresh) & 0x0077, QFileDevice::Permissions{});
    std::filesystem::create_directory(dir.path("open"));
    std::filesystem::permissions(dir.path("open"), std::filesystem::perms::all);
    EXPECT_TRUE(InstanceChannel::isPrivateFolder(q(dir.path("open"))));
    EXPECT_EQ(QFile::permissions(q(dir.path("open"))) & 0x0077, QFileDevice::Permissions{});
    std::filesystem::create_directory_symlink(dir.path("fresh"), dir.path("link"));
    EXPECT_FALSE(InstanceChannel::isPrivateFolder(q(dir.path("link"))));
}

// Through the real main window: a new VM77 console on a simulated module, parsing on, and a
// received telegram decoded in the traffic window.
TEST_F(AppShell, ANewConsoleDecodesTelegramsFromASimulatedModule) {
    ChildProcess simulator({TOVAN_MODSIM_PATH, "--family", "vm77", "--telegram-ms", "100"},
                           std::vector<std::string>{"XDG_RUNTIME_DIR=" + dir.path()});
    std::string announced;
    ASSERT_TRUE(simulator.readLine(announced));
    ASSERT_EQ(announced.rfind("SIM-VM77-1 ", 0), 0u);

    dialogs.listChoices = {1};
    frame().commandAction(57600)->trigger();
    CSplitterView* console = frame().activeConsole();
    ASSERT_NE(console, nullptr);
    PortSettings settings = console->console().state().port;
    settings.portName = "SIM-VM77-1";
    console->console().setPortSettings(settings);
    frame().commandAction(consolecmd::ID_OPEN_PORT)->trigger();
    ASSERT_TRUE(console->console().portOpen()) << dialogs.shown.size();
    console->commandAction(consolecmd::ID_PARSE_RX)->trigger();

    const LineStore& lines = console->outputWindow()->model().store();
    auto decodedShown = [&] {
        for (int i = 0; i + 4 < lines.lineCount(); ++i)
            if (lines.text(i).find("  RX:") == 8 &&
                lines.text(i + 3).rfind("Identification:  ", 0) == 0 &&
                lines.text(i + 4).rfind("Device type:  ", 0) == 0)
                return lines.colours(i + 3).front() == 0xCD0000;
        return false;
    };
    EXPECT_TRUE(QTest::qWaitFor(decodedShown, 10000));
    simulator.stop(SIGTERM);
}

// The README's walk-through: the sample list opened, a command selected and transmitted, the
// simulated module's answer shown.
TEST_F(AppShell, TheSampleListTalksToASimulatedModule) {
    ChildProcess simulator({TOVAN_MODSIM_PATH, "--family", "vm77", "--telegram-ms", "0"},
                           std::vector<std::string>{"XDG_RUNTIME_DIR=" + dir.path()});
    std::string announced;
    ASSERT_TRUE(simulator.readLine(announced));
    const std::string sample = dir.path("vm77-sample.tcs");
    ASSERT_EQ(
        std::system(("cp " TOVAN_SOURCE_DIR "/res/examples/vm77-sample.tcs " + sample).c_str()), 0);
    dialogs.fileNames.push_back(q(sample));
    frame().commandAction(57601)->trigger(); // File Open
    CSplitterView* console = frame().activeConsole();
    ASSERT_NE(console, nullptr);
    EXPECT_EQ(console->family(), ModuleFamily::VM77);
    PortSettings settings = console->console().state().port;
    settings.portName = "SIM-VM77-1";
    console->console().setPortSettings(settings);
    frame().commandAction(consolecmd::ID_OPEN_PORT)->trigger();
    ASSERT_TRUE(console->console().portOpen());

    const auto found =
        console->tree()->findItems("Read firmware version", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    console->tree()->setCurrentItem(found.front());
    auto* transmit = console->composer()->findChild<QPushButton*>("1016");
    ASSERT_NE(transmit, nullptr);
    ASSERT_TRUE(transmit->isEnabled());
    transmit->click();
    const LineStore& lines = console->outputWindow()->model().store();
    EXPECT_TRUE(QTest::qWaitFor([&] { return lines.text(2) == " FF 81 00 7E"; }, 5000));
    EXPECT_EQ(lines.text(4), " FF 01 00 FE");
    simulator.stop(SIGTERM);
}
