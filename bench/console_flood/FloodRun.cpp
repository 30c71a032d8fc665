#include "bench/console_flood/FloodRun.h"

#include "core/console/ConsoleCommands.h"
#include "core/textwnd/LineStore.h"
#include "gui/console/CSplitterView.h"
#include "gui/console/CSplitterViewVM77.h"
#include "gui/console/CVX3xSplitterView.h"
#include "gui/console/MeterOverview.h"
#include "gui/shared/DialogService.h"
#include "gui/textwnd/ColorEditWnd.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace tovan::bench {

namespace {

using Clock = std::chrono::steady_clock;

// Answers the log-file dialog with a path of ours; nothing else is asked.
class LogFileAnswer : public DialogService {
public:
    explicit LogFileAnswer(QString path) : m_path(std::move(path)) {}
    Answer messageBox(QWidget*, const QString& text, const QString&, Icon, Buttons) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return Answer::Ok;
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return m_path;
    }
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    int chooseFromList(QWidget*, const QString&, const QStringList&) override { return -1; }
    QString askText(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    bool printDialog(QWidget*, QPrinter&) override { return false; }
    bool pageSetupDialog(QWidget*, QPrinter&) override { return false; }

private:
    QString m_path;
};

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// A pseudo-terminal in raw mode; its slave's name is the console's port.
std::string openRawPty(int& master, int& slave) {
    char name[256] = {};
    termios raw{};
    ::cfmakeraw(&raw);
    if (::openpty(&master, &slave, name, &raw, nullptr) != 0) {
        std::perror("openpty");
        std::exit(1);
    }
    return name;
}

// Logging on, the run's options, and the port opened.
void openConsolePort(CSplitterView& console, const std::string& port, const FloodSetup& setup,
                     MeterOverview& meters) {
    ModuleConsole& core = console.console();
    PortSettings settings = core.state().port;
    settings.portName = port;
    settings.dcb.BaudRate = 3000000;
    core.setPortSettings(settings);
    core.toggleLogging();
    if (setup.parse)
        core.toggleParse();
    if (setup.insight) {
        core.runCommand(consolecmd::ID_SHOW_DISCARDED);
        core.runCommand(consolecmd::ID_MILLISECONDS);
        core.traffic().setFilter("7");
        meters.setConsole(&console);
        meters.show();
    }
    core.openPort();
    if (!core.portOpen()) {
        std::fprintf(stderr, "cannot open %s\n", port.c_str());
        std::exit(1);
    }
}

// How late a 10 ms timer of the GUI thread fires while the console is busy.
void measureLateness(QTimer& timer, QElapsedTimer& tick, std::vector<double>& lateness) {
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&tick, &lateness] {
        if (tick.isValid())
            lateness.push_back(
                std::max(0.0, static_cast<double>(tick.nsecsElapsed()) / 1e6 - 10.0));
        tick.start();
    });
    timer.start(10);
}

// A line of a frame's bytes as the console writes it: " FE 03 ..." (characters may follow
// when shown beside them; they are not here). Under a decoded telegram the log writes the
// bytes without the leading space ("1D 44 A5 ..."), after a line holding a space alone.
bool isHexLine(std::string_view line, std::string_view& hex) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    if (!line.empty() && line[0] == ' ')
        line.remove_prefix(1);
    if (line.size() < 2)
        return false;
    for (std::size_t i = 0; i < line.size(); ++i)
        if (i % 3 == 2 ? line[i] != ' ' : !std::isxdigit(static_cast<unsigned char>(line[i])))
            return false;
    hex = line;
    return line.size() % 3 == 2;
}

// Every frame line of the log against the stream, in order; counts the RX entries.
void checkLog(const std::string& path, const FloodStream& stream, FloodFigures& figures) {
    std::ifstream file(path, std::ios::binary);
    std::string line;
    std::size_t next = 0;
    while (std::getline(file, line)) {
        if (line.find("  RX:") != std::string::npos)
            ++figures.logged;
        std::string_view hex;
        if (!isHexLine(line, hex))
            continue;
        if (figures.firstWrongLogged < 0 && (next >= stream.frames() || hex != stream.hex[next])) {
            figures.firstWrongLogged = static_cast<long long>(next);
            std::fprintf(stderr, "  logged: %s\n  sent:   %s\n", line.c_str(),
                         next < stream.frames() ? stream.hex[next].c_str() : "(nothing more)");
        }
        ++next;
    }
    if (figures.firstWrongLogged < 0 && next != stream.frames())
        figures.firstWrongLogged = static_cast<long long>(next);
}

// The frames the window still holds, newest on top, against the end of the stream.
void checkWindow(const CSplitterView& console, const FloodStream& stream, FloodFigures& figures) {
    const LineStore& lines = console.outputWindow()->model().store();
    std::size_t back = 0;
    for (int i = 0; i < lines.lineCount(); ++i) {
        std::string_view hex;
        if (!isHexLine(lines.text(i), hex))
            continue;
        const std::size_t index = stream.frames() - 1 - back++;
        if (back > stream.frames() || hex != stream.hex[index]) {
            figures.firstWrongShown = static_cast<long long>(index);
            return;
        }
    }
}

CSplitterView* newConsole(ModuleFamily family) {
    if (family == ModuleFamily::VX31)
        return new CVX3xSplitterView;
    return new CSplitterViewVM77;
}

// Runs the window's loop until every frame is shown or nothing moved for 5 s.
void runUntilShown(ModuleConsole& core, std::uint64_t frames) {
    std::uint64_t lastShown = 0;
    auto lastMove = Clock::now();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const std::uint64_t shown = core.traffic().receivedCount();
        if (shown != lastShown) {
            lastShown = shown;
            lastMove = Clock::now();
        }
        if (shown >= frames || Clock::now() - lastMove > std::chrono::seconds(5))
            QApplication::quit();
    });
    watch.start(20);
    QApplication::exec();
}

} // namespace

FloodFigures runFlood(const FloodStream& stream, const FloodSetup& setup) {
    int master = -1;
    int slave = -1;
    const std::string port = openRawPty(master, slave);
    const std::string logPath = "/tmp/tovan-bench-log-" + std::to_string(::getpid());
    LogFileAnswer answers(QString::fromStdString(logPath));
    setDialogService(&answers);

    QMdiArea area;
    area.resize(1200, 800);
    area.show();
    CSplitterView* console = newConsole(setup.family);
    area.addSubWindow(console);
    console->showMaximized();
    ModuleConsole& core = console->console();
    MeterOverview meters;
    openConsolePort(*console, port, setup, meters);

    FloodFigures figures;
    figures.sent = stream.frames();
    QElapsedTimer tick;
    QTimer timer;
    measureLateness(timer, tick, figures.lateness);
    const double cpuBefore = cpuSeconds();
    const auto start = Clock::now();
    const pid_t module = startModule(master, stream, setup.bytesPerSecond);
    runUntilShown(core, stream.frames());
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.cpu = cpuSeconds() - cpuBefore;
    figures.shown = core.traffic().receivedCount();
    figures.peakMegabytes = peakMegabytes();
    ::kill(module, SIGKILL);
    ::waitpid(module, nullptr, 0);
    if (!setup.insight)
        checkWindow(*console, stream, figures);
    delete console; // closes the port and the log
    setDialogService(nullptr);
    checkLog(logPath, stream, figures);
    if (!std::getenv("TOVAN_BENCH_KEEP_LOG"))
        ::unlink(logPath.c_str());
    ::close(master);
    ::close(slave);
    return figures;
}

} // namespace tovan::bench
