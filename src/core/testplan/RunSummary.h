#pragma once

#include "core/testplan/StepResult.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tovan {

// One bar of a latency histogram: results whose latency lies in [fromMs, toMs).
struct LatencyBucket {
    double fromMs = 0;
    double toMs = 0;
    std::size_t count = 0;
};

// What a run came to, for its summary line and its chart.
struct RunSummary {
    std::size_t results = 0;
    std::size_t passed = 0;
    std::size_t failed = 0;
    double passRate = 0; // percent of the results; 0 without results

    // Over every result with a received frame, passed or not.
    std::size_t latencies = 0;
    double minMs = 0;
    double medianMs = 0; // the middle one; the mean of the two middle ones for an even count
    double p95Ms = 0;    // nearest rank: the smallest latency that 95 % of them do not exceed
    double maxMs = 0;
    // Equal buckets from 0 ms, at most MAX_BUCKETS of them, each 1, 2 or 5 times a power of
    // ten milliseconds wide, so the axis of a chart reads well; the last holds the maximum.
    std::vector<LatencyBucket> histogram;

    static constexpr std::size_t MAX_BUCKETS = 20;
};

RunSummary summarize(const std::vector<StepResult>& results);

// The pass rate with one decimal ("99.9"), never rounded up to 100.0 while a result failed
// nor down to 0.0 while one passed.
std::string passRateText(const RunSummary& summary);

} // namespace tovan
