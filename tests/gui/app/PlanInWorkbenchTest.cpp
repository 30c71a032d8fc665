// Test plans as a user runs them in the workbench: Command > Run test plan... on the README's
// bring-up plan against a simulated module with rules, the results pane with its summary,
// histogram and CSV, a plan with errors that runs nothing, a plan made from a tree folder, and
// Stop.
#include "core/console/ConsoleCommands.h"
#include "core/console/ConsolePlan.h"
#include "gui/app/CMainFrame.h"
#include "gui/app/CTOVANStudioApp.h"
#include "gui/app/MainFramePlans.h"
#include "gui/console/CSplitterView.h"
#include "gui/console/LatencyChart.h"
#include "gui/console/PlanResultsPane.h"
#include "gui/tree/CControlTreeView.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RecordingDialogs.h"
#include "tests/support/ScratchDir.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTest>

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

using namespace tovan;
using namespace tovan::test;

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

class PlanInWorkbench : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, q(dir.path("config")));
        simulator = std::make_unique<ChildProcess>(
            std::vector<std::string>{TOVAN_MODSIM_PATH, "--family", "vx31", "--rules",
                                     TOVAN_SOURCE_DIR "/res/examples/vx31-bringup.rules"},
            std::vector<std::string>{"XDG_RUNTIME_DIR=" + dir.path()});
        std::string announced;
        ASSERT_TRUE(simulator->readLine(announced));
        app = std::make_unique<CTOVANStudioApp>();
        ASSERT_TRUE(app->InitInstance({}));
        dialogs.fileNames.push_back(q(TOVAN_SOURCE_DIR "/res/examples/vx31-sample.tcs"));
        frame().commandAction(57601)->trigger(); // File Open
        ASSERT_NE(console(), nullptr);
        PortSettings settings = console()->console().state().port;
        settings.portName = "SIM-VX31-1";
        console()->console().setPortSettings(settings);
        frame().commandAction(consolecmd::ID_OPEN_PORT)->trigger();
        ASSERT_TRUE(console()->console().portOpen());
    }
    void TearDown() override {
        app.reset();
        if (simulator)
            simulator->stop(SIGTERM);
    }

    CMainFrame& frame() { return *app->mainFrame(); }
    CSplitterView* console() { return frame().activeConsole(); }
    PlanResultsPane& pane() { return *frame().plans().pane(); }
    const ConsolePlan& plan() { return console()->console().plan(); }
    // Runs the plan file through the Command menu; true once it ran to its end.
    bool runPlanFile(const std::string& path) {
        dialogs.fileNames.push_back(q(path));
        frame().commandAction(consolecmd::ID_RUN_PLAN)->trigger();
        return QTest::qWaitFor([&] { return !plan().running(); }, 10000);
    }
    QString cell(int row, int column) {
        return pane().table()->model()->index(row, column).data().toString();
    }

    ScratchDir dir;
    RecordingDialogs dialogs;
    std::unique_ptr<ChildProcess> simulator;
    std::unique_ptr<CTOVANStudioApp> app;
};

} // namespace

TEST_F(PlanInWorkbench, RunsAPlanFileAndShowsItsResultsSummaryAndHistogram) {
    ASSERT_TRUE(runPlanFile(TOVAN_SOURCE_DIR "/res/examples/vx31-bringup.plan"));
    EXPECT_TRUE(frame().plans().dock()->isVisible()) << "the pane shows itself";
    QTest::qWait(150); // the pane follows at its own pace
    EXPECT_EQ(pane().title()->text(), "Test plan vx31-bringup.plan: completed");
    EXPECT_TRUE(pane().summary()->text().startsWith(
        "10 results: 8 passed, 2 failed (80.0 % passed); latency of 7 frames received: min "))
        << pane().summary()->text().toStdString();
    ASSERT_EQ(pane().table()->model()->rowCount(), 10);
    EXPECT_EQ(cell(0, 2), "FE 00 01 00 01");
    EXPECT_EQ(cell(0, 3), "FE 00 81 00 81");
    EXPECT_EQ(cell(0, 5), "pass");
    EXPECT_EQ(cell(6, 5), "FAIL: nothing received within 200 ms");
    EXPECT_NE(pane().table()->model()->index(6, 0).data(Qt::BackgroundRole),
              pane().table()->model()->index(0, 0).data(Qt::BackgroundRole))
        << "failed rows coloured apart";
    double bars = 0;
    for (qreal count : pane().chart()->counts())
        bars += count;
    EXPECT_EQ(bars, 7.0) << "every frame received is in the histogram";
    EXPECT_FALSE(pane().stopButton()->isEnabled());

    dialogs.fileNames.push_back(q(dir.path("results.csv")));
    for (QPushButton* button : pane().findChildren<QPushButton*>())
        if (button->text() == "Export CSV...")
            button->click();
    std::ifstream csv(dir.path("results.csv"));
    int lines = 0;
    for (std::string line; std::getline(csv, line);)
        ++lines;
    EXPECT_EQ(lines, 11) << "a header and a line per result";
}

TEST_F(PlanInWorkbench, APlanWithErrorsRunsNothingAndAFolderPlanSendsItsCommands) {
    const std::string bad = dir.path("bad.plan");
    std::ofstream(bad) << "send FE 00 01 00 01\nexpect FE 00 81 00 81 within soon\nwait\n";
    dialogs.fileNames.push_back(q(bad));
    frame().commandAction(consolecmd::ID_RUN_PLAN)->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(
        dialogs.shown[0].text.startsWith("The test plan was not run. It has these errors:"));
    EXPECT_TRUE(dialogs.shown[0].text.contains("bad.plan:2:"))
        << dialogs.shown[0].text.toStdString();
    EXPECT_TRUE(dialogs.shown[0].text.contains("bad.plan:3:"));
    EXPECT_EQ(plan().end(), ConsolePlanEnd::None) << "nothing ran";

    const auto basics =
        console()->tree()->findItems("Basics", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(basics.size(), 1);
    console()->tree()->setCurrentItem(basics[0]);
    frame().commandAction(consolecmd::ID_RUN_FOLDER_PLAN)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !plan().running(); }, 10000));
    EXPECT_EQ(plan().name(), "folder Basics");
    ASSERT_EQ(plan().results().size(), 2u);
    EXPECT_TRUE(plan().results()[0].passed && plan().results()[1].passed);

    // Stop ends a run at once.
    const std::string slow = dir.path("slow.plan");
    std::ofstream(slow) << "send FE 00 01 00 01\nwait 10000\n";
    dialogs.fileNames.push_back(q(slow));
    frame().commandAction(consolecmd::ID_RUN_PLAN)->trigger();
    ASSERT_TRUE(plan().running());
    QTest::qWait(150);
    ASSERT_TRUE(pane().stopButton()->isEnabled());
    pane().stopButton()->click();
    EXPECT_FALSE(plan().running());
    EXPECT_EQ(pane().title()->text(), "Test plan slow.plan: stopped");
}
