#pragma once

#include "bench/console_flood/FloodStream.h"
#include "core/frames/ModuleFamily.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovan::bench {

// What a run switches on besides logging.
struct FloodSetup {
    ModuleFamily family = ModuleFamily::VX31;
    long bytesPerSecond = 0; // 0: as fast as the terminal takes them
    bool parse = false;      // "Parse RX data"
    // The bring-up options: discarded bytes shown, millisecond times, a filter that shows
    // some of the entries, and the meter overview open.
    bool insight = false;
};

struct FloodFigures {
    std::uint64_t sent = 0;
    std::uint64_t shown = 0;
    std::uint64_t logged = 0;
    // The first frame (by its number) the log or the window holds wrongly or not in its place;
    // -1 when all are exact.
    long long firstWrongLogged = -1;
    long long firstWrongShown = -1;
    double seconds = 0;
    double cpu = 0;
    long peakMegabytes = 0;       // of this process, which runs one section
    std::vector<double> lateness; // ms
};

// Runs one console against the stream until every frame is shown or nothing moved for 5 s,
// then checks every logged frame and the frames the window still holds, in order.
FloodFigures runFlood(const FloodStream& stream, const FloodSetup& setup);

} // namespace tovan::bench
