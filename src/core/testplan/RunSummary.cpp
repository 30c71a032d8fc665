#include "core/testplan/RunSummary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tovan {
namespace {

// The smallest width of 1, 2 or 5 times a power of ten that spreads 0 .. max over at most
// `buckets` buckets with the maximum inside the last one.
double bucketWidth(double max, std::size_t buckets) {
    const double wanted = std::max(max / static_cast<double>(buckets), 0.001);
    const double power = std::pow(10.0, std::floor(std::log10(wanted)));
    for (double step : {1.0, 2.0, 5.0, 10.0, 20.0}) {
        const double width = step * power;
        if (std::floor(max / width) + 1 <= static_cast<double>(buckets))
            return width;
    }
    return 50 * power;
}

std::vector<LatencyBucket> histogramOf(const std::vector<double>& sorted) {
    const double width = bucketWidth(sorted.back(), RunSummary::MAX_BUCKETS);
    const auto count = static_cast<std::size_t>(std::floor(sorted.back() / width)) + 1;
    std::vector<LatencyBucket> buckets(count);
    for (std::size_t i = 0; i < count; ++i)
        buckets[i] = {static_cast<double>(i) * width, static_cast<double>(i + 1) * width, 0};
    for (double latency : sorted)
        ++buckets[std::min(count - 1, static_cast<std::size_t>(std::floor(latency / width)))].count;
    return buckets;
}

} // namespace

RunSummary summarize(const std::vector<StepResult>& results) {
    RunSummary summary;
    std::vector<double> latencies;
    for (const StepResult& result : results) {
        ++summary.results;
        ++(result.passed ? summary.passed : summary.failed);
        if (result.latencyMs)
            latencies.push_back(std::max(0.0, *result.latencyMs));
    }
    if (summary.results > 0)
        summary.passRate =
            100.0 * static_cast<double>(summary.passed) / static_cast<double>(summary.results);
    if (latencies.empty())
        return summary;
    std::sort(latencies.begin(), latencies.end());
    const std::size_t n = latencies.size();
    summary.latencies = n;
    summary.minMs = latencies.front();
    summary.maxMs = latencies.back();
    summary.medianMs = n % 2 ? latencies[n / 2] : (latencies[n / 2 - 1] + latencies[n / 2]) / 2;
    const auto rank = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(n)));
    summary.p95Ms = latencies[std::max<std::size_t>(rank, 1) - 1];
    summary.histogram = histogramOf(latencies);
    return summary;
}

std::string passRateText(const RunSummary& summary) {
    double tenths = std::round(summary.passRate * 10);
    if (summary.failed > 0)
        tenths = std::min(tenths, 999.0);
    if (summary.passed > 0)
        tenths = std::max(tenths, 1.0);
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", tenths / 10);
    return text;
}

} // namespace tovan
