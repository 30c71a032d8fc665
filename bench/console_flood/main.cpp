// End to end: a console of each family shown, its port a pseudo-terminal whose other end a
// child process floods as fast as the terminal takes it, or paces at the byte rate of a
// 3,000,000-baud line, writing pieces that split frames anywhere; each flood once more with the
// bring-up options on (discarded bytes, milliseconds, a filter, the meter overview). Every
// section runs in a process of its own, so its peak memory is the console's own. Prints frames
// shown against frames sent, whether every logged frame and every frame the window holds is
// exact and in order, frames per second against fully loaded lines, CPU per 1,000 frames and
// as a share of one core, the lateness of a 10 ms timer of the window's thread, and peak memory.
// Offscreen draws nothing; with an X server (DISPLAY set, e.g. under xvfb-run -a) the paced
// sections run once more in a real window.
//
//   bench_console_flood [vx31 frames] [vm77 telegrams] [paced seconds]
#include "bench/console_flood/FloodRun.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace tovan;
using namespace tovan::bench;

namespace {

struct Section {
    const char* title;
    FloodSetup setup;
    bool paced;
};

const Section SECTIONS[] = {
    {"VX31, five-byte frames as fast as the terminal takes them, logging on",
     {ModuleFamily::VX31, 0, false, false},
     false},
    {"VX31, the same with discarded bytes, milliseconds and a filter on",
     {ModuleFamily::VX31, 0, false, true},
     false},
    {"VM77, telegrams as fast as the terminal takes them, parse and logging on",
     {ModuleFamily::VM77, 0, true, false},
     false},
    {"VM77, the same with discarded bytes, milliseconds, a filter and the meter overview",
     {ModuleFamily::VM77, 0, true, true},
     false},
    {"VX31 paced at a 3,000,000-baud line (300,000 bytes/s), logging on",
     {ModuleFamily::VX31, 300000, false, false},
     true},
    {"VM77 paced at a 3,000,000-baud line (300,000 bytes/s), parse and logging on",
     {ModuleFamily::VM77, 300000, true, false},
     true},
};
constexpr int SECTION_COUNT = sizeof SECTIONS / sizeof SECTIONS[0];

double percentile(std::vector<double> values, double share) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

void printExactness(const char* what, long long firstWrong) {
    if (firstWrong < 0)
        std::printf("  every %s frame exact and in order\n", what);
    else
        std::printf("  %s FRAME %lld WRONG OR MISSING\n", what, firstWrong);
}

void print(const FloodFigures& f, double bytesPerFrame) {
    const double rate = static_cast<double>(f.shown) / f.seconds;
    const double at3M = 300000.0 / bytesPerFrame; // 10 bits a byte: start, 8 data, stop
    std::printf("  frames sent %llu, shown %llu%s, log entries %llu\n",
                static_cast<unsigned long long>(f.sent), static_cast<unsigned long long>(f.shown),
                f.shown == f.sent ? " (none lost)" : " (LOST FRAMES)",
                static_cast<unsigned long long>(f.logged));
    printExactness("logged", f.firstWrongLogged);
    printExactness("shown", f.firstWrongShown);
    std::printf("  %.1f s, %.0f frames/s = %.2fx a 3,000,000-baud line\n", f.seconds, rate,
                rate / at3M);
    std::printf("  CPU %.2f ms per 1,000 frames, %.1f %% of one core\n",
                1e6 * f.cpu / static_cast<double>(std::max<std::uint64_t>(f.shown, 1)),
                100.0 * f.cpu / f.seconds);
    std::printf("  10 ms timer lateness: median %.1f ms, max %.1f ms (%zu ticks)\n",
                percentile(f.lateness, 0.5), percentile(f.lateness, 1.0), f.lateness.size());
    std::printf("  peak memory of the section's process %ld MB\n", f.peakMegabytes);
}

// One section, in this process: argv holds "--section N" and the counts.
int runSection(int argc, char* argv[], int section, std::uint64_t vx31, std::uint64_t vm77,
               double pacedSeconds) {
    QApplication app(argc, argv);
    const Section& s = SECTIONS[section];
    const bool vx = s.setup.family == ModuleFamily::VX31;
    std::uint64_t frames = vx ? vx31 : vm77;
    if (s.paced) {
        const double perFrame = vx ? 5.0 : vm77Stream(1).bytesPerFrame();
        frames = static_cast<std::uint64_t>(pacedSeconds * 300000.0 / perFrame);
    }
    const FloodStream stream = vx ? vx31Stream(frames) : vm77Stream(frames);
    print(runFlood(stream, s.setup), stream.bytesPerFrame());
    return 0;
}

// Runs this program once more for `section` on the platform `platform`, and waits for it.
void spawnSection(const char* self, int section, char* counts[], const char* platform) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("QT_QPA_PLATFORM", platform, 1);
        const std::string number = std::to_string(section);
        ::execl(self, self, "--section", number.c_str(), counts[0], counts[1], counts[2],
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::waitpid(child, nullptr, 0);
}

} // namespace

int main(int argc, char* argv[]) {
    const bool child = argc > 2 && std::string(argv[1]) == "--section";
    const int skip = child ? 3 : 1;
    auto arg = [&](int i, const char* fallback) {
        return argc > skip + i ? argv[skip + i] : fallback;
    };
    char* counts[3] = {const_cast<char*>(arg(0, "1000000")), const_cast<char*>(arg(1, "200000")),
                       const_cast<char*>(arg(2, "5"))};
    if (child)
        return runSection(argc, argv, std::atoi(argv[2]), std::strtoull(counts[0], nullptr, 10),
                          std::strtoull(counts[1], nullptr, 10), std::strtod(counts[2], nullptr));

    const bool xServer = std::getenv("DISPLAY") != nullptr;
    for (int section = 0; section < SECTION_COUNT; ++section) {
        std::printf("%s (offscreen)\n", SECTIONS[section].title);
        std::fflush(stdout);
        spawnSection("/proc/self/exe", section, counts, "offscreen");
        if (SECTIONS[section].paced && xServer) {
            std::printf("%s (X server %s)\n", SECTIONS[section].title, std::getenv("DISPLAY"));
            std::fflush(stdout);
            spawnSection("/proc/self/exe", section, counts, "xcb");
        }
    }
    return 0;
}
