#include "MonitorOptions.h"

#include "frames/HexInput.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace tovan::tool {

namespace {

bool number(const std::string& text, unsigned long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    value = std::strtoul(text.c_str(), nullptr, 10);
    return errno == 0 && value <= UINT_MAX;
}

// One option with its value; false with `error` set when it is wrong.
bool applyOption(const std::string& option, const std::string& value, MonitorOptions& options,
                 bool& familyGiven, std::string& error) {
    DcbTemplate& dcb = options.port.dcb;
    unsigned long n = 0;
    if (option == "--family" && (value == "vx31" || value == "vm77")) {
        options.family = value == "vx31" ? ModuleFamily::VX31 : ModuleFamily::VM77;
        familyGiven = true;
    } else if (option == "--baud" && number(value, n) && n > 0) {
        dcb.BaudRate = static_cast<std::uint32_t>(n);
    } else if (option == "--parity" && (value == "none" || value == "odd" || value == "even")) {
        dcb.Parity = value == "none" ? NOPARITY : value == "odd" ? ODDPARITY : EVENPARITY;
    } else if (option == "--stop" && (value == "1" || value == "2")) {
        dcb.StopBits = value == "1" ? ONESTOPBIT : TWOSTOPBITS;
    } else if (option == "--seconds" && number(value, n)) {
        options.seconds = static_cast<unsigned>(n);
    } else if (option == "--log" && !value.empty()) {
        options.logPath = value;
    } else if (option == "--send") {
        std::vector<std::uint8_t> frame;
        if (!parseHexInput(value, frame)) {
            error = "--send needs a frame as hex text, not \"" + value + "\"";
            return false;
        }
        options.frames.push_back(std::move(frame));
    } else {
        error = "unexpected value \"" + value + "\" for " + option;
        return false;
    }
    return true;
}

} // namespace

bool parseMonitorOptions(const std::vector<std::string>& args, MonitorOptions& options,
                         std::string& error) {
    if (args.empty() || args[0].rfind("--", 0) == 0) {
        error = "monitor needs a port";
        return false;
    }
    options.port.portName = args[0];
    bool familyGiven = false;
    bool rtsCts = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--rtscts") {
            rtsCts = true;
        } else if (option == "--parse") {
            options.parse = true;
        } else if (option.rfind("--", 0) == 0 && i + 1 < args.size()) {
            if (!applyOption(option, args[++i], options, familyGiven, error))
                return false;
        } else {
            error = "unexpected argument \"" + option + "\"";
            return false;
        }
    }
    if (!familyGiven) {
        error = "monitor needs --family vx31 or --family vm77";
        return false;
    }
    if (options.parse && options.family != ModuleFamily::VM77) {
        error = "--parse decodes telegrams of the vm77 family only";
        return false;
    }
    // The family's defaults for what the command line left open.
    DcbTemplate& dcb = options.port.dcb;
    if (dcb.BaudRate == 0)
        dcb.BaudRate = PortSettings::forFamily(options.family).dcb.BaudRate;
    if (rtsCts)
        dcb.setRtsCtsHandshake();
    return true;
}

} // namespace tovan::tool
