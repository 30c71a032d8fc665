#pragma once

#include "frames/ModuleFamily.h"
#include "serial/PortSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovan::tool {

// The command line of `tovan-tool monitor`.
struct MonitorOptions {
    PortSettings port;
    ModuleFamily family = ModuleFamily::VX31;
    bool parse = false;
    std::vector<std::vector<std::uint8_t>> frames; // to send, in order
    std::optional<unsigned> seconds;               // none: until interrupted
    std::string logPath;                           // a console's communication log; none: ""
};

// Fills `options` from the arguments after "monitor"; false with `error` set when they are
// wrong.
bool parseMonitorOptions(const std::vector<std::string>& args, MonitorOptions& options,
                         std::string& error);

} // namespace tovan::tool
