#pragma once

#include "core/frames/ModuleFamily.h"
#include "core/serial/PortSettings.h"

#include <string>

namespace tovan::tool {

// The command line of `tovan-tool run`.
struct RunOptions {
    std::string planPath; // "-": standard input
    PortSettings port;
    ModuleFamily family = ModuleFamily::VX31;
    std::string commandsPath; // a command list for send-command; none: ""
    std::string junitPath;    // where the JUnit report goes; none: ""
    std::string csvPath;      // where the results go as CSV; none: ""
    unsigned repeat = 1;      // the whole plan this many times
};

} // namespace tovan::tool
