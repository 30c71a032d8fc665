#pragma once

#include "core/testplan/PlanContext.h"
#include "core/testplan/TestPlan.h"

#include <string>
#include <string_view>
#include <vector>

namespace tovan {

// A plan read from its text, or what is wrong with it. A plan with errors has no steps, so
// nothing of it ever runs.
struct ParsedPlan {
    TestPlan plan;
    std::vector<PlanError> errors;
    bool ok() const { return errors.empty(); }
};

// Reads plan text: one step a line, `#` starts a comment, `repeat N {` ... `}` nest.
// Every line is read, so all errors of a plan are reported at once (at most MAX_ERRORS).
class PlanParser {
public:
    static constexpr std::size_t MAX_ERRORS = 20;

    explicit PlanParser(const PlanContext& context) : m_context(context) {}

    ParsedPlan parse(std::string_view text) const;

private:
    const PlanContext& m_context;
};

// "SOURCE:LINE:COLUMN: message", the form editors and CI logs link to the place.
std::string planErrorText(const std::string& source, const PlanError& error);

} // namespace tovan
