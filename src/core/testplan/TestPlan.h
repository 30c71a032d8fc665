#pragma once

#include "core/frames/ModuleFamily.h"
#include "core/testplan/FramePattern.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tovan {

// The steps of a test plan, as the plan parser reads them from plan text.
enum class StepKind : std::uint8_t {
    Send,          // send, send-fields, send-command: `frame` goes out
    Expect,        // the next received frame matches `pattern` within `time`
    ExpectNone,    // no frame arrives within `time`
    Wait,          // `time` passes
    Repeat,        // `body` runs `count` times
    Note,          // `note` is shown to whoever follows the run
    StopOnFailure, // from here on, a failure ends the run (`on`) or not
};

struct PlanStep {
    StepKind kind = StepKind::Note;
    int line = 0;     // 1-based, in the plan text
    std::string text; // the step as written, without its comment
    std::vector<std::uint8_t> frame;
    FramePattern pattern;
    std::chrono::milliseconds time{0};
    unsigned count = 0;
    bool on = false;
    std::string note;
    std::vector<PlanStep> body;
};

// A parsed plan: steps for one module family, ready to run.
struct TestPlan {
    ModuleFamily family = ModuleFamily::VX31;
    std::vector<PlanStep> steps;
};

} // namespace tovan
