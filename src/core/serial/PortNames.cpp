#include "core/serial/PortNames.h"

#include "core/serial/SimulatedPorts.h"

#include <cctype>

namespace tovan {
namespace {

// "COM" followed by a decimal number from 1 up; returns 0 when the name is not of that form.
unsigned long comNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 12)
        return 0;
    for (int i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i])
            return 0;
    unsigned long number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return 0;
        number = number * 10 + static_cast<unsigned long>(name[i] - '0');
    }
    return number;
}

} // namespace

std::string resolvePortName(const std::string& portName) {
    if (portName.empty())
        return {};
    if (portName.front() == '/')
        return portName;
    if (std::string simulated = findSimulatedPort(portName); !simulated.empty())
        return simulated;
    if (const unsigned long n = comNumber(portName); n > 0)
        return "/dev/ttyS" + std::to_string(n - 1);
    // A bare name must stay inside /dev.
    if (portName.find("..") != std::string::npos)
        return {};
    return "/dev/" + portName;
}

} // namespace tovan
