#pragma once

#include "core/testplan/PlanContext.h"
#include "core/testplan/PlanLine.h"
#include "core/testplan/TestPlan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovan {

// Reads the step of one plan line (any line but a closing `}`). A repeat comes back without
// its body, which the lines after it fill.
class StepParser {
public:
    explicit StepParser(const PlanContext& context) : m_context(context) {}

    // False with `error` naming the first thing wrong on the line.
    bool parse(const PlanLine& line, int number, PlanStep& step, PlanError& error);

    // Longest time a plan may give a step, and most repetitions of a repeat.
    static constexpr long MAX_MS = 3600000;
    static constexpr long MAX_REPEAT = 1000000;

private:
    using Bytes = std::vector<std::uint8_t>;

    bool send(PlanStep& step);
    bool sendFields(PlanStep& step);
    bool sendCommand(PlanStep& step);
    bool expect(PlanStep& step);
    bool pattern(std::size_t first, std::size_t last, PlanStep& step);
    bool patternWord(const PlanWord& word, std::vector<FramePattern::Element>& elements);
    bool wait(PlanStep& step);
    bool repeat(PlanStep& step);
    bool note(PlanStep& step);
    bool stopOnFailure(PlanStep& step);

    bool hexBytes(const PlanWord& word, std::size_t skip, Bytes& bytes);
    bool number(const PlanWord& word, long min, long max, bool ms, long& value);
    bool wordCount(std::size_t count, const std::string& usage);
    bool fail(std::size_t at, std::string message);
    // Where a missing word would start: just after the last one.
    std::size_t lineEnd() const;

    const PlanContext& m_context;
    const PlanLine* m_line = nullptr;
    PlanError* m_error = nullptr;
};

} // namespace tovan
