#pragma once

#include "core/testplan/StepResult.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace tovan {
class PlanRunner;
}

namespace tovan::tool {

struct RunOptions;

// How a run of `tovan-tool run` ended.
enum class RunEnding : std::uint8_t { Completed, StoppedOnFailure, Interrupted, PortLost };

// What `tovan-tool run` prints while a plan runs and when it ends, and its JUnit report.
class RunReport {
public:
    explicit RunReport(const RunOptions& options);

    // Empties the report files before anything runs: a run of an hour must not end in a
    // report that cannot be written, and a run that cannot start must not leave the report
    // of an earlier one behind for CI to read. False after printing why.
    bool outputsWritable() const;

    void printNote(const std::string& note) const;
    void printResult(const StepResult& result) const;
    // Prints the summary and writes the JUnit report when one was asked for. False after
    // printing why the report could not be written.
    bool finish(const PlanRunner& runner, RunEnding ending) const;
    static bool allPassed(const PlanRunner& runner);

private:
    const RunOptions& m_options;
    std::string m_timestamp; // local time the run began, ISO 8601
};

} // namespace tovan::tool
