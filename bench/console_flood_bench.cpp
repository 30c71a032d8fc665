// End to end: a console of each family shown (offscreen unless told otherwise), its port a
// pseudo-terminal whose other end a child process floods as fast as the terminal takes it, or
// paces at the byte rate of a 3,000,000-baud line; each flood once more with the bring-up
// options on (discarded bytes, milliseconds, a filter, the meter overview). Prints frames shown
// against frames sent, log entries written, frames per second and their ratio to fully loaded
// lines, CPU per 1,000 frames, the lateness of a 10 ms timer of the window's thread, and peak
// memory.
//
//   bench_console_flood [vx31 frames] [vm77 telegrams] [paced seconds]
#include "core/console/ConsoleCommands.h"
#include "core/frames/FrameBuilder.h"
#include "core/frames/HexInput.h"
#include "core/wmbus/TestTelegrams.h"
#include "gui/console/CSplitterView.h"
#include "gui/console/CSplitterViewVM77.h"
#include "gui/console/CVX3xSplitterView.h"
#include "gui/console/MeterOverview.h"
#include "gui/shared/DialogService.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace tovan;
using Bytes = std::vector<std::uint8_t>;
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

// The frames to send, one after the other, and where each ends.
struct Stream {
    Bytes bytes;
    std::vector<std::size_t> frameEnds;

    void add(const Bytes& frame) {
        bytes.insert(bytes.end(), frame.begin(), frame.end());
        frameEnds.push_back(bytes.size());
    }
    // The end of the last whole frame at or before `offset`.
    std::size_t wholeFramesUpTo(std::size_t offset) const {
        const auto after = std::upper_bound(frameEnds.begin(), frameEnds.end(), offset);
        return after == frameEnds.begin() ? 0 : *(after - 1);
    }
};

// A child process that writes the stream into the master side, as fast as it is taken, or at
// `bytesPerSecond` (0: as fast as possible). Paced writes end on frame boundaries: should the
// child be held up (the machine is shared), the pause falls between frames, as on a line whose
// module sends whole frames.
pid_t startModule(int master, const Stream& frames, long bytesPerSecond) {
    const Bytes& stream = frames.bytes;
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    const auto start = Clock::now();
    std::size_t done = 0;
    while (done < stream.size()) {
        std::size_t chunk = stream.size() - done;
        if (bytesPerSecond > 0) {
            const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            const std::size_t due = frames.wholeFramesUpTo(
                static_cast<std::size_t>(elapsed * static_cast<double>(bytesPerSecond)));
            if (due <= done) {
                std::this_thread::sleep_for(std::chrono::microseconds(500));
                continue;
            }
            chunk = std::min(chunk, due - done);
        }
        const ssize_t n = ::write(master, stream.data() + done, chunk);
        if (n > 0)
            done += static_cast<std::size_t>(n);
    }
    ::_exit(0);
}

struct Figures {
    std::uint64_t sent = 0;
    std::uint64_t shown = 0;
    std::uint64_t logged = 0;
    double seconds = 0;
    double cpu = 0;
    long peakMegabytes = 0;       // of the whole process, when the console had shown everything
    std::vector<double> lateness; // ms
};

// Entries are counted by their "  RX:", reading the file a piece at a time.
std::uint64_t countLogEntries(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string piece(1 << 20, '\0');
    std::string carry;
    std::uint64_t count = 0;
    while (file.read(piece.data(), static_cast<std::streamsize>(piece.size())) || file.gcount()) {
        std::string text = carry + piece.substr(0, static_cast<std::size_t>(file.gcount()));
        for (std::size_t at = text.find("  RX:"); at != std::string::npos;
             at = text.find("  RX:", at + 5))
            ++count;
        carry = text.size() >= 4 ? text.substr(text.size() - 4) : text;
    }
    return count;
}

// Runs one console against one stream until every frame is shown or nothing moved for 5 s.
// What a run switches on besides logging.
struct Setup {
    long bytesPerSecond = 0; // 0: as fast as the terminal takes them
    bool parse = false;      // "Parse RX data"
    // The bring-up options: discarded bytes shown, millisecond times, a filter that shows
    // some of the entries, and the meter overview open.
    bool insight = false;
};

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
void openConsolePort(CSplitterView& console, const std::string& port, const Setup& setup,
                     MeterOverview& meters) {
    ModuleConsole& core = console.console();
    PortSettings settings = core.state().port;
    settings.portName = port;
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
            lateness.push_back(std::max(0.0, tick.nsecsElapsed() / 1e6 - 10.0));
        tick.start();
    });
    timer.start(10);
}

template <typename Console>
Figures run(const Stream& stream, std::uint64_t frames, const Setup& setup) {
    int master = -1;
    int slave = -1;
    const std::string name = openRawPty(master, slave);
    const std::string logPath = std::string("/tmp/tovan-bench-log-") + std::to_string(::getpid());
    LogFileAnswer answers(QString::fromStdString(logPath));
    setDialogService(&answers);

    QMdiArea area;
    area.resize(1200, 800);
    area.show();
    auto* console = new Console;
    area.addSubWindow(console);
    console->showMaximized();
    ModuleConsole& core = console->console();
    MeterOverview meters;
    openConsolePort(*console, name, setup, meters);

    Figures figures;
    figures.sent = frames;
    QElapsedTimer tick;
    QTimer timer;
    measureLateness(timer, tick, figures.lateness);

    const double cpuBefore = cpuSeconds();
    const auto start = Clock::now();
    const pid_t module = startModule(master, stream, setup.bytesPerSecond);
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
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.cpu = cpuSeconds() - cpuBefore;
    figures.shown = core.traffic().receivedCount();
    figures.peakMegabytes = peakMegabytes();
    ::kill(module, SIGKILL);
    ::waitpid(module, nullptr, 0);
    delete console; // closes the port and the log
    setDialogService(nullptr);
    figures.logged = countLogEntries(logPath);
    ::unlink(logPath.c_str());
    ::close(master);
    ::close(slave);
    return figures;
}

double percentile(std::vector<double> values, double share) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

double cpuPerThousand(const Figures& f) {
    return f.cpu / static_cast<double>(std::max<std::uint64_t>(f.shown, 1)) * 1000.0;
}

// `baseline`: the same run with the options off, to compare the CPU per frame with.
void print(const char* what, const Figures& f, double bytesPerFrame,
           const Figures* baseline = nullptr) {
    const double rate = static_cast<double>(f.shown) / f.seconds;
    // 10 bits a byte: start, 8 data bits, stop.
    const double at921600 = 92160.0 / bytesPerFrame;
    const double at3M = 300000.0 / bytesPerFrame;
    std::printf("%s\n", what);
    std::printf("  frames sent %llu, shown %llu%s, log entries %llu\n",
                static_cast<unsigned long long>(f.sent), static_cast<unsigned long long>(f.shown),
                f.shown == f.sent ? " (none lost)" : " (LOST FRAMES)",
                static_cast<unsigned long long>(f.logged));
    std::printf(
        "  %.1f s, %.0f frames/s = %.2fx a 921,600-baud line, %.2fx a 3,000,000-baud line\n",
        f.seconds, rate, rate / at921600, rate / at3M);
    std::printf("  CPU %.2f ms per 1,000 frames, %.0f %% of one core\n", 1000.0 * cpuPerThousand(f),
                100.0 * f.cpu / f.seconds);
    if (baseline)
        std::printf("  CPU per frame %.2fx that of the run with the options off\n",
                    cpuPerThousand(f) / cpuPerThousand(*baseline));
    std::printf("  10 ms timer lateness: median %.1f ms, max %.1f ms (%zu ticks)\n",
                percentile(f.lateness, 0.5), percentile(f.lateness, 1.0), f.lateness.size());
    std::printf("  peak memory of the process so far %ld MB\n", f.peakMegabytes);
    std::fflush(stdout);
}

Stream vx31Stream(std::uint64_t frames) {
    Stream stream;
    stream.bytes.reserve(frames * 5);
    for (std::uint64_t i = 0; i < frames; ++i)
        stream.add(
            frame::buildVx31Frame(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8)));
    return stream;
}

Stream vm77Stream(std::uint64_t telegrams, double& bytesPerTelegram) {
    Bytes samples[TEST_TELEGRAM_COUNT];
    for (int i = 0; i < TEST_TELEGRAM_COUNT; ++i)
        parseHexInput(testTelegram(i), samples[i]);
    Stream stream;
    for (std::uint64_t i = 0; i < telegrams; ++i)
        stream.add(samples[i % TEST_TELEGRAM_COUNT]);
    bytesPerTelegram = static_cast<double>(stream.bytes.size()) / static_cast<double>(telegrams);
    return stream;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const std::uint64_t vx31Frames = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    const std::uint64_t vm77Telegrams = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 200000;
    const double pacedSeconds = argc > 3 ? std::strtod(argv[3], nullptr) : 5.0;

    const Stream vx31 = vx31Stream(vx31Frames);
    const Figures vx31Plain = run<CVX3xSplitterView>(vx31, vx31Frames, {});
    print("VX31, five-byte frames as fast as the terminal takes them, logging on", vx31Plain, 5.0);
    print("VX31, the same with discarded bytes, milliseconds and a filter on",
          run<CVX3xSplitterView>(vx31, vx31Frames, {0, false, true}), 5.0, &vx31Plain);
    double telegramBytes = 0;
    const Stream vm77 = vm77Stream(vm77Telegrams, telegramBytes);
    const Figures vm77Plain = run<CSplitterViewVM77>(vm77, vm77Telegrams, {0, true, false});
    print("VM77, telegrams as fast as the terminal takes them, parse and logging on", vm77Plain,
          telegramBytes);
    print("VM77, the same with discarded bytes, milliseconds, a filter and the meter overview",
          run<CSplitterViewVM77>(vm77, vm77Telegrams, {0, true, true}), telegramBytes, &vm77Plain);

    const auto pacedVx31 = static_cast<std::uint64_t>(pacedSeconds * 300000 / 5);
    print("VX31 paced at a 3,000,000-baud line (300,000 bytes/s), logging on",
          run<CVX3xSplitterView>(vx31Stream(pacedVx31), pacedVx31, {300000, false, false}), 5.0);
    const auto pacedVm77 = static_cast<std::uint64_t>(pacedSeconds * 300000 / telegramBytes);
    print("VM77 paced at a 3,000,000-baud line (300,000 bytes/s), parse and logging on",
          run<CSplitterViewVM77>(vm77Stream(pacedVm77, telegramBytes), pacedVm77,
                                 {300000, true, false}),
          telegramBytes);
    return 0;
}
