// Takes the README's pictures of the running workbench: its empty main window, two consoles
// side by side (one per family) talking to simulated modules, the VM77 console with "Parse RX
// data" on; then the traffic options, a test plan's results, the key dialog with the simulated
// meter's key, the meter overview with a meter's plot, and find and filter. Run it through
// scripts/screenshots, which starts the simulator and a virtual display (and gives it a
// configuration folder of its own).
//
//   tovan-screenshots OUTPUT-FOLDER VX31-PORT VM77-PORT [LIST.tcs]
#include "core/console/ConsoleCommands.h"
#include "core/console/ConsolePlan.h"
#include "core/frames/FrameBuilder.h"
#include "core/hub/ConsoleMessage.h"
#include "core/serial/ComSettingsForm.h"
#include "core/testplan/PlanParser.h"
#include "core/wmbus/MeterKeyFile.h"
#include "gui/app/CDocManagerEx.h"
#include "gui/app/CMainFrame.h"
#include "gui/app/CTOVANStudioApp.h"
#include "gui/app/CTOVANStudioDoc.h"
#include "gui/app/MainFramePlans.h"
#include "gui/console/CSplitterView.h"
#include "gui/console/ConsoleStatusLine.h"
#include "gui/console/MeterOverview.h"
#include "gui/console/PlanDriver.h"
#include "gui/console/TrafficFindBar.h"
#include "gui/wmbus/MeterKeysDialog.h"
#include "tools/modsim/TelegramSet.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <cstdio>

namespace {

using namespace tovan;

bool save(QWidget& window, const QDir& folder, const char* name) {
    QApplication::processEvents();
    const QString path = folder.filePath(QString::fromLatin1(name));
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

CSplitterView* openConsole(CDocManagerEx& documents, int kind, const QString& list,
                           const char* port) {
    CTOVANStudioDoc* document = list.isEmpty() ? documents.openWithTemplate(kind, QString())
                                               : documents.openDocumentFile(list);
    if (!document)
        return nullptr;
    CSplitterView* console = document->console();
    PortSettings settings = console->console().state().port;
    settings.portName = port;
    // As the settings dialog's OK does: the status bar names the port.
    const ComSettingsForm::StatusTexts texts =
        ComSettingsForm::fromSettings(settings).applyTo(settings);
    console->console().setPortSettings(settings);
    console->statusLine()->setPaneText(StatusLine::PORT_NAME, texts.port);
    console->statusLine()->setPaneText(StatusLine::BAUD, texts.baud);
    console->commandAction(consolecmd::ID_OPEN_PORT)->trigger();
    return console->console().portOpen() ? console : nullptr;
}

// Both consoles at work: a few VX31 commands answered, telegrams parsed on the VM77 console.
bool showConsoles(CMainFrame& frame, CSplitterView* vx31, CSplitterView* vm77, const QDir& folder) {
    vm77->commandAction(consolecmd::ID_PARSE_RX)->trigger();
    frame.mdiArea()->tileSubWindows();
    for (std::uint8_t i = 0; i < 3; ++i) {
        const auto command = frame::buildVx31Frame(0x01, i, {0x10, 0x20});
        vx31->console().deliver(CD_SEND_FRAME, command.data(), command.size());
        QTest::qWait(300);
    }
    const auto ping = frame::buildVm77Frame(0x01);
    vm77->console().deliver(CD_SEND_FRAME, ping.data(), ping.size());
    QTest::qWait(4500); // a few telegrams arrive
    return save(frame, folder, "workbench-consoles.png");
}

// The traffic options of the VX31 console, against a module that makes mistakes.
bool showTrafficOptions(CMainFrame& frame, CSplitterView* vx31, const QDir& folder) {
    for (int id :
         {consolecmd::ID_SHOW_DISCARDED, consolecmd::ID_MILLISECONDS, consolecmd::ID_SIDE_BY_SIDE})
        vx31->commandAction(id)->trigger();
    vx31->commandAction(consolecmd::ID_CLEAR_VIEW)->trigger();
    for (std::uint8_t i = 0; i < 8; ++i) {
        const auto command = frame::buildVx31Frame(0x01, i, {'O', 'K', i});
        vx31->console().deliver(CD_SEND_FRAME, command.data(), command.size());
        QTest::qWait(250);
    }
    return save(frame, folder, "workbench-traffic-options.png");
}

// A bring-up plan on the VX31 console: forty requests answered, a status answer that is not
// what the plan expects, and the module's own mistakes; its results pane with the histogram.
bool showPlan(CMainFrame& frame, CSplitterView* vx31, const QDir& folder) {
    frame.activateConsole(vx31);
    const std::string text = "note Channel and power\n"
                             "repeat 40 {\n"
                             "  send-fields 10 01 05\n"
                             "  expect FE 01 90 01 05 CS within 100\n"
                             "  wait 20\n"
                             "}\n"
                             "note Status\n"
                             "send FE 00 30 00 30\n"
                             "expect FE 00 B1 00 B1 within 100\n";
    ParsedPlan plan = PlanParser(PlanContext{ModuleFamily::VX31}).parse(text);
    if (!plan.ok() || !PlanDriver::of(vx31)->start(std::move(plan.plan), "bring-up.plan").empty())
        return false;
    frame.commandAction(consolecmd::ID_PLAN_RESULTS)->setChecked(true);
    if (!QTest::qWaitFor([vx31] { return !vx31->console().plan().running(); }, 20000))
        return false;
    QTest::qWait(300);
    const bool saved = save(frame, folder, "workbench-plan.png");
    frame.commandAction(consolecmd::ID_PLAN_RESULTS)->setChecked(false);
    return saved;
}

// The key of the simulated meter that encrypts, added in the key dialog as a user would, and
// the key of Open Metering System's published example beside it.
bool showMeterKeys(CMainFrame& frame, const QDir& folder) {
    MeterKeysDialog dialog(
        MeterKeyFile::defaultPath(),
        [&frame](const MeterKeys& keys) { frame.applyMeterKeys(keys); }, &frame);
    if (!dialog.load())
        return false;
    dialog.show();
    const char* const keys[][2] = {{"12345678", "0102030405060708090A0B0C0D0E0F11"},
                                   {modsim::ENCRYPTED_METER, modsim::ENCRYPTED_METER_KEY}};
    for (const auto& key : keys) {
        dialog.meterIdField()->setText(QString::fromLatin1(key[0]));
        dialog.keyField()->setText(QString::fromLatin1(key[1]));
        dialog.addButton()->click();
    }
    if (!save(dialog, folder, "workbench-meter-keys.png"))
        return false;
    dialog.accept();
    return dialog.result() == QDialog::Accepted;
}

// The meters the VM77 module heard, the history of the meter that encrypts (its readings from
// when its key was given), and the console's traffic found and filtered.
bool showMetersAndFind(CMainFrame& frame, CSplitterView* vm77, const QDir& folder) {
    frame.activateConsole(vm77);
    frame.commandAction(consolecmd::ID_METER_OVERVIEW)->trigger();
    QTest::qWait(8000);
    QTableView* table = frame.meterOverview()->table();
    const QModelIndexList found =
        table->model()->match(table->model()->index(0, MeterTable::IDENTIFICATION), Qt::DisplayRole,
                              QString::fromLatin1(modsim::ENCRYPTED_METER));
    if (!found.isEmpty())
        table->setCurrentIndex(found.first());
    QTest::qWait(500);
    if (!save(frame, folder, "workbench-meters.png"))
        return false;
    frame.commandAction(consolecmd::ID_METER_OVERVIEW)->trigger();
    vm77->findBar()->openFind();
    vm77->findBar()->findField()->setText(QStringLiteral("Heat"));
    vm77->findBar()->setFilterText(QStringLiteral("08455113"));
    QTest::qWait(500);
    return save(frame, folder, "workbench-find.png");
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fputs("usage: tovan-screenshots OUTPUT-FOLDER VX31-PORT VM77-PORT [LIST.tcs]\n",
                   stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const QString list = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();
    CTOVANStudioApp workbench;
    workbench.InitInstance({});
    CMainFrame& frame = *workbench.mainFrame();
    frame.resize(1280, 800);
    QTest::qWait(300);
    if (!save(frame, folder, "workbench-empty.png"))
        return 1;

    CDocManagerEx& documents = *workbench.docManager();
    CSplitterView* vx31 =
        openConsole(documents, CTOVANStudioApp::TEMPLATE_VX31, QString(), argv[2]);
    CSplitterView* vm77 = openConsole(documents, CTOVANStudioApp::TEMPLATE_VM77, list, argv[3]);
    if (!vx31 || !vm77) {
        std::fputs("tovan-screenshots: could not open the simulated ports\n", stderr);
        return 1;
    }
    const bool saved = showConsoles(frame, vx31, vm77, folder) &&
                       showTrafficOptions(frame, vx31, folder) && showPlan(frame, vx31, folder) &&
                       showMeterKeys(frame, folder) && showMetersAndFind(frame, vm77, folder);
    return saved ? 0 : 1;
}
