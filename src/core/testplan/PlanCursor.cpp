#include "core/testplan/PlanCursor.h"

namespace tovan {

PlanCursor::PlanCursor(const std::vector<PlanStep>& steps, unsigned rounds) {
    if (rounds > 0 && !steps.empty())
        m_levels.push_back({&steps, 0, 0, rounds});
}

const PlanStep* PlanCursor::current() {
    while (!m_levels.empty()) {
        Level& level = m_levels.back();
        if (level.index == level.steps->size()) {
            if (++level.round < level.rounds) {
                level.index = 0;
                continue;
            }
            m_levels.pop_back();
            if (!m_levels.empty())
                ++m_levels.back().index;
            continue;
        }
        const PlanStep& step = (*level.steps)[level.index];
        if (step.kind != StepKind::Repeat)
            return &step;
        if (step.count == 0 || step.body.empty())
            ++level.index;
        else
            m_levels.push_back({&step.body, 0, 0, step.count});
    }
    return nullptr;
}

void PlanCursor::next() {
    if (current())
        ++m_levels.back().index;
}

std::string PlanCursor::iteration() const {
    std::string text;
    for (const Level& level : m_levels) {
        if (level.rounds < 2)
            continue;
        if (!text.empty())
            text += ' ';
        text += std::to_string(level.round + 1) + "/" + std::to_string(level.rounds);
    }
    return text;
}

} // namespace tovan
