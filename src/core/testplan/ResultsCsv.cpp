#include "core/testplan/ResultsCsv.h"

#include "core/frames/CHexCodec.h"

#include <cstdio>

namespace tovan {
namespace {

std::string field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string hexOf(const std::optional<std::vector<std::uint8_t>>& frame) {
    std::string text;
    if (frame)
        CHexCodec().BytesToHex(frame->data(), frame->size(), text);
    return text;
}

std::string ms(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

} // namespace

std::string resultsCsv(const std::vector<StepResult>& results) {
    std::string csv = "number,line,step,iteration,note,sent,expected,within_ms,received,"
                      "latency_ms,start_ms,duration_ms,result,reason\r\n";
    for (const StepResult& r : results) {
        const std::string fields[] = {
            std::to_string(r.number),
            std::to_string(r.line),
            field(r.step),
            field(r.iteration),
            field(r.note),
            hexOf(r.sent),
            field(r.expected),
            r.expected.empty() ? std::string() : std::to_string(r.within.count()),
            hexOf(r.received),
            r.latencyMs ? ms(*r.latencyMs) : std::string(),
            ms(r.startMs),
            ms(r.durationMs),
            r.passed ? "pass" : "fail",
            field(r.reason),
        };
        bool first = true;
        for (const std::string& f : fields) {
            csv += first ? f : "," + f;
            first = false;
        }
        csv += "\r\n";
    }
    return csv;
}

} // namespace tovan
