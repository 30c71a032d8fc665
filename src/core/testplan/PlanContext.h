#pragma once

#include "core/frames/ModuleFamily.h"

#include <string>

namespace tovan {

class CommandStore;
class CommandTree;

// What a plan is read for: the module family its frames are built and checked for, and the
// command tree that `send-command` takes its commands from (none: send-command is refused).
struct PlanContext {
    ModuleFamily family = ModuleFamily::VX31;
    const CommandTree* tree = nullptr;
    const CommandStore* store = nullptr;
};

// Something wrong in plan text, where it is (1-based line and column, in characters).
struct PlanError {
    int line = 0;
    int column = 0;
    std::string message;
};

} // namespace tovan
