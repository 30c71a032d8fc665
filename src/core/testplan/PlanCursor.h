#pragma once

#include "core/testplan/TestPlan.h"

#include <string>
#include <vector>

namespace tovan {

// Walks a plan's steps in the order they run, entering and looping repeats as it goes, so a
// repeat of a million rounds costs no memory.
class PlanCursor {
public:
    // The whole list runs `rounds` times.
    PlanCursor(const std::vector<PlanStep>& steps, unsigned rounds);

    // The step to run now (never a repeat: its first step instead); null after the last.
    const PlanStep* current();
    // Moves past the current step.
    void next();
    // The rounds the current step is in, outermost first: "2/10 1/3"; rounds of a single
    // pass are left out.
    std::string iteration() const;

private:
    struct Level {
        const std::vector<PlanStep>* steps;
        std::size_t index;
        unsigned round;
        unsigned rounds;
    };
    std::vector<Level> m_levels;
};

} // namespace tovan
