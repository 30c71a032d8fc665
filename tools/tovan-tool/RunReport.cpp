#include "tools/tovan-tool/RunReport.h"

#include "core/frames/CHexCodec.h"
#include "core/testplan/JUnitReport.h"
#include "core/testplan/PlanRunner.h"
#include "core/testplan/ResultsCsv.h"
#include "core/testplan/RunSummary.h"
#include "tools/tovan-tool/RunOptions.h"
#include "tools/tovan-tool/TerminalText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>

namespace tovan::tool {
namespace {

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    CHexCodec().BytesToHex(bytes.data(), bytes.size(), text);
    return text;
}

std::string ms(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms", value);
    return text;
}

// "plans/bring-up.plan" -> "bring-up": the suite's name in a CI server's list.
std::string suiteName(const std::string& path) {
    if (path == "-")
        return "standard input";
    std::string name = path.substr(path.find_last_of('/') + 1);
    const auto dot = name.find_last_of('.');
    return dot == 0 || dot == std::string::npos ? name : name.substr(0, dot);
}

const char* endingText(RunEnding ending) {
    switch (ending) {
    case RunEnding::Completed:
        return "completed";
    case RunEnding::StoppedOnFailure:
        return "stopped at a failure (stop-on-failure on)";
    case RunEnding::Interrupted:
        return "interrupted";
    case RunEnding::PortLost:
        return "the port went away";
    }
    return "";
}

// False after printing why the file could not be written.
bool writeFile(const std::string& path, const std::string& content) {
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (out)
        return true;
    std::cerr << "tovan-tool run: cannot write " << path << ": "
              << std::strerror(errno ? errno : EIO) << '\n';
    return false;
}

} // namespace

RunReport::RunReport(const RunOptions& options) : m_options(options) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    m_timestamp = text;
}

bool RunReport::outputsWritable() const {
    for (const std::string* path : {&m_options.junitPath, &m_options.csvPath}) {
        if (path->empty())
            continue;
        errno = 0;
        if (!std::ofstream(*path, std::ios::binary | std::ios::trunc)) {
            std::cerr << "tovan-tool run: cannot write " << *path << ": "
                      << std::strerror(errno ? errno : EIO) << '\n';
            return false;
        }
    }
    return true;
}

void RunReport::printNote(const std::string& note) const {
    std::cout << "note: " << terminalSafe(note) << std::endl;
}

// One line a result: "PASS 1 line 4: send ... | sent ... | received ... after 2.1 ms".
void RunReport::printResult(const StepResult& r) const {
    std::string line = std::string(r.passed ? "PASS " : "FAIL ") + std::to_string(r.number) +
                       " line " + std::to_string(r.line);
    if (!r.iteration.empty())
        line += " [" + r.iteration + "]";
    line += ": " + r.step;
    if (r.sent)
        line += " | sent " + hex(*r.sent);
    if (r.received)
        line += " | received " + hex(*r.received) + " after " + ms(*r.latencyMs);
    else if (r.expected == "none")
        line += " | silence for " + std::to_string(r.within.count()) + " ms";
    if (!r.passed && !r.expected.empty() && r.failure != Failure::NotSilent)
        line += " | expected " + r.expected + " within " + std::to_string(r.within.count()) + " ms";
    if (!r.passed)
        line += ": " + r.reason;
    std::cout << terminalSafe(line) << std::endl;
}

bool RunReport::allPassed(const PlanRunner& runner) {
    return summarize(runner.results()).failed == 0;
}

bool RunReport::finish(const PlanRunner& runner, RunEnding ending) const {
    const RunSummary s = summarize(runner.results());
    std::cout << s.results << " results: " << s.passed << " passed, " << s.failed << " failed ("
              << passRateText(s) << " % passed); " << endingText(ending) << '\n';
    if (s.latencies > 0)
        std::cout << "latency of " << s.latencies << " frames received: min " << ms(s.minMs)
                  << ", median " << ms(s.medianMs) << ", p95 " << ms(s.p95Ms) << ", max "
                  << ms(s.maxMs) << '\n';
    std::cout.flush();
    bool written = true;
    if (!m_options.csvPath.empty())
        written = writeFile(m_options.csvPath, resultsCsv(runner.results()));
    if (m_options.junitPath.empty())
        return written;
    const double seconds =
        std::chrono::duration<double>(PlanRunner::Clock::now() - runner.startedAt()).count();
    const JUnitSuite suite{suiteName(m_options.planPath),
                           m_timestamp,
                           seconds,
                           {{"plan", m_options.planPath},
                            {"port", m_options.port.portName},
                            {"family", std::string(modelName(m_options.family))},
                            {"repeat", std::to_string(m_options.repeat)},
                            {"end", endingText(ending)}}};
    return writeFile(m_options.junitPath, junitXml(suite, runner.results())) && written;
}

} // namespace tovan::tool
