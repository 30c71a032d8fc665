#pragma once

#include "core/frames/ModuleFamily.h"
#include "core/serial/PortSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovan {
class MeterTable;
}

namespace tovan::tool {

// A frame given on the command line: whole (--send) or as command and data (--frame).
struct FrameArgument {
    bool whole = true;
    std::string text;
};

// The command line of `tovan-tool monitor`.
struct MonitorOptions {
    PortSettings port;
    ModuleFamily family = ModuleFamily::VX31;
    bool parse = false;
    bool showDiscarded = false;
    bool milliseconds = false;
    std::vector<FrameArgument> frameArguments;     // in command-line order
    std::vector<std::vector<std::uint8_t>> frames; // to send, in order (buildFrames)
    std::optional<unsigned> seconds;               // none: until interrupted
    std::string logPath;                           // a console's communication log; none: ""
    std::string keys; // --parse: the meter key file; none: the default one where it exists
    // Instead of printing entries, every telegram received counts here (tovan-tool meters).
    MeterTable* meters = nullptr;
};

// The command line of `tovan-tool meters`: traffic text files, or a live port.
struct MetersOptions {
    std::vector<std::string> files;
    bool live = false;      // --port given: listen on monitor.port
    MonitorOptions monitor; // the port and how long to listen
    bool csv = false;
    std::string date; // YYYY-MM-DD, the day the traffic text starts on; none: today
};

// The family as --family names it: "vx31", "vm77".
std::string familyOption(ModuleFamily family);

// Makes the frames to send from the frame arguments: --send as given, --frame with start
// byte, length and checksum by the composer's rules. False with `error` naming the argument
// that is wrong.
bool buildFrames(MonitorOptions& options, std::string& error);

} // namespace tovan::tool
