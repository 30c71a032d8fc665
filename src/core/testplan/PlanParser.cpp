#include "core/testplan/PlanParser.h"

#include "core/testplan/PlanLine.h"
#include "core/testplan/StepParser.h"

namespace tovan {
namespace {

// The repeats whose `}` has not come yet, innermost last, and where each was opened.
struct OpenRepeat {
    PlanStep step;
    int column = 0;
    bool broken = false; // its own line was wrong: its } closes it quietly, its steps are dropped
};

class Errors {
public:
    explicit Errors(std::vector<PlanError>& list) : m_list(list) {}
    void add(PlanError error) {
        if (m_list.size() < PlanParser::MAX_ERRORS)
            m_list.push_back(std::move(error));
    }
    void add(int line, int column, std::string message) {
        add(PlanError{line, column, std::move(message)});
    }

private:
    std::vector<PlanError>& m_list;
};

// A `}` line: closes the innermost repeat into the steps around it.
void closeRepeat(const PlanLine& line, int number, std::vector<OpenRepeat>& open,
                 std::vector<PlanStep>& steps, Errors& errors) {
    if (line.words.size() > 1) {
        errors.add(number, line.column(line.words[1].at),
                   "unexpected \"" + line.words[1].text + "\": } stands on a line of its own");
        return;
    }
    if (open.empty()) {
        errors.add(number, line.column(line.words[0].at), "} without a repeat to close");
        return;
    }
    OpenRepeat closed = std::move(open.back());
    open.pop_back();
    if (closed.broken)
        return;
    if (closed.step.body.empty())
        errors.add(closed.step.line, closed.column, "the repeat holds no steps");
    (open.empty() ? steps : open.back().step.body).push_back(std::move(closed.step));
}

} // namespace

ParsedPlan PlanParser::parse(std::string_view text) const {
    ParsedPlan parsed;
    parsed.plan.family = m_context.family;
    Errors errors(parsed.errors);
    StepParser stepParser(m_context);
    std::vector<OpenRepeat> open;
    std::vector<PlanStep>& steps = parsed.plan.steps;
    int number = 0;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const PlanLine line = PlanLine::split(text.substr(start, end - start));
        start = end + 1;
        ++number;
        if (!line.error.empty()) {
            errors.add(number, line.column(line.errorAt), line.error);
            continue;
        }
        if (line.words.empty())
            continue;
        if (!line.words[0].quoted && line.words[0].text == "}") {
            closeRepeat(line, number, open, steps, errors);
            continue;
        }
        PlanStep step;
        PlanError error;
        if (!stepParser.parse(line, number, step, error)) {
            errors.add(error);
            if (!line.words.back().quoted && line.words.back().text == "{")
                open.push_back({std::move(step), 0, true});
        } else if (step.kind == StepKind::Repeat) {
            open.push_back({std::move(step), line.column(line.words[0].at)});
        } else {
            (open.empty() ? steps : open.back().step.body).push_back(std::move(step));
        }
    }
    for (const OpenRepeat& repeat : open)
        if (!repeat.broken)
            errors.add(repeat.step.line, repeat.column, "the repeat has no closing }");
    if (parsed.errors.empty() && steps.empty())
        errors.add(1, 1, "the plan holds no steps");
    if (!parsed.errors.empty())
        steps.clear();
    return parsed;
}

std::string planErrorText(const std::string& source, const PlanError& error) {
    return source + ":" + std::to_string(error.line) + ":" + std::to_string(error.column) + ": " +
           error.message;
}

} // namespace tovan
