// AddLine throughput of the traffic window's text model alone, into a full 1000-line window.
//
//   bench_traffic_model [entries]
#include "bench/traffic_entries.h"
#include "core/textwnd/ColorEditModel.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 2'000'000;
    const auto entries = trafficEntries(4096);
    tovan::ColorEditModel model(4);
    for (int i = 0; i < 1000; ++i)
        model.AddLine(entries[static_cast<std::size_t>(i)], RX_COLOUR);

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i)
        model.AddLine(entries[static_cast<std::size_t>(i) & 4095], RX_COLOUR);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    std::printf("model: %d entries in %.3f s: %.0f entries/s (%.2f us each), %d lines held, "
                "longest %d\n",
                count, seconds, count / seconds, seconds * 1e6 / count, model.lineCount(),
                model.store().longestLineLength());
    return 0;
}
