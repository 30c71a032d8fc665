#include "core/testplan/JUnitReport.h"

#include "core/frames/CHexCodec.h"

#include <cstdio>
#include <string_view>

namespace tovan {
namespace {

const char* const REPLACEMENT = "\xEF\xBF\xBD"; // U+FFFD

// The length of the well-formed UTF-8 sequence of a character XML allows at `i`, or 0.
std::size_t characterLength(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80)
        return 1;
    std::size_t n = 0;
    unsigned code = 0;
    if ((c & 0xE0) == 0xC0)
        n = 2, code = c & 0x1Fu;
    else if ((c & 0xF0) == 0xE0)
        n = 3, code = c & 0x0Fu;
    else if ((c & 0xF8) == 0xF0)
        n = 4, code = c & 0x07u;
    else
        return 0;
    if (i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (next & 0x3Fu);
    }
    static const unsigned shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (code < shortest[n] || code > 0x10FFFF || surrogate || code == 0xFFFE || code == 0xFFFF)
        return 0;
    return n;
}

// Text made safe for XML content (or, with `attribute`, for a value in double quotes, where
// line ends and tabs are kept as references so that readers do not turn them into spaces).
std::string xml(std::string_view text, bool attribute = false) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = characterLength(text, i);
        if (n != 1) {
            out += n == 0 ? std::string(REPLACEMENT) : std::string(text.substr(i, n));
            i += n == 0 ? 1 : n;
            continue;
        }
        const char c = text[i++];
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += attribute ? "&quot;" : "\"";
            break;
        case '\t':
            out += attribute ? "&#9;" : "\t";
            break;
        case '\n':
            out += attribute ? "&#10;" : "\n";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            out += static_cast<unsigned char>(c) < 0x20 ? REPLACEMENT : std::string(1, c);
        }
    }
    return out;
}

std::string decimals(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::string hexOf(const std::vector<std::uint8_t>& frame) {
    std::string text;
    CHexCodec().BytesToHex(frame.data(), frame.size(), text);
    return text;
}

const char* failureType(Failure failure) {
    switch (failure) {
    case Failure::NotSent:
        return "not-sent";
    case Failure::NoFrame:
        return "no-frame";
    case Failure::Late:
        return "late";
    case Failure::WrongFrame:
        return "wrong-frame";
    case Failure::NotSilent:
        return "not-silent";
    case Failure::None:
        break;
    }
    return "failure";
}

// "07 Module/Reset: send FE 00 01 00 01 (line 12, round 2/3)", the note before the step when
// there is one: numbered so that a CI server lists the cases in
// the order they ran and never takes two for one.
std::string caseName(const StepResult& r, std::size_t width) {
    char number[24];
    std::snprintf(number, sizeof number, "%0*zu", static_cast<int>(width), r.number);
    std::string name = std::string(number) + " " +
                       (r.note.empty() ? r.step : r.note + ": " + r.step) + " (line " +
                       std::to_string(r.line);
    if (!r.iteration.empty())
        name += ", round " + r.iteration;
    return name + ")";
}

std::string failureElement(const StepResult& r) {
    std::string body;
    if (!r.expected.empty())
        body += "expected: " + r.expected + " within " + std::to_string(r.within.count()) + " ms\n";
    if (!r.expected.empty() || r.received)
        body += "received: " + (r.received ? hexOf(*r.received) : std::string("nothing")) + "\n";
    if (r.sent)
        body += "sent: " + hexOf(*r.sent) + "\n";
    if (r.latencyMs)
        body += "latency: " + decimals(*r.latencyMs) + " ms\n";
    return "      <failure message=\"" + xml(r.reason, true) + "\" type=\"" +
           failureType(r.failure) + "\">" + xml(body) + "</failure>\n";
}

} // namespace

std::string junitXml(const JUnitSuite& suite, const std::vector<StepResult>& results) {
    std::size_t failures = 0;
    for (const StepResult& r : results)
        failures += r.passed ? 0 : 1;
    const std::string counts = " tests=\"" + std::to_string(results.size()) + "\" failures=\"" +
                               std::to_string(failures) + "\" errors=\"0\" skipped=\"0\" time=\"" +
                               decimals(suite.seconds) + "\"";
    const std::string name = xml(suite.name, true);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"" + name +
                      "\"" + counts + ">\n  <testsuite name=\"" + name + "\"" + counts;
    if (!suite.timestamp.empty())
        out += " timestamp=\"" + xml(suite.timestamp, true) + "\"";
    out += ">\n";
    if (!suite.properties.empty()) {
        out += "    <properties>\n";
        for (const auto& [key, value] : suite.properties)
            out += "      <property name=\"" + xml(key, true) + "\" value=\"" + xml(value, true) +
                   "\"/>\n";
        out += "    </properties>\n";
    }
    const std::size_t width = std::to_string(results.size()).size();
    for (const StepResult& r : results) {
        out += "    <testcase name=\"" + xml(caseName(r, width), true) + "\" classname=\"" + name +
               "\" time=\"" + decimals(r.durationMs / 1000) + "\"";
        out += r.passed ? "/>\n" : ">\n" + failureElement(r) + "    </testcase>\n";
    }
    return out + "  </testsuite>\n</testsuites>\n";
}

} // namespace tovan
