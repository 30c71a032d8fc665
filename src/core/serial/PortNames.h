#pragma once

#include <string>

namespace tovan {

// The device a port name stands for: an absolute path as it is, the name of a running
// simulated module as its pseudo-terminal, "COMn" as /dev/ttyS(n-1), any other name under /dev/.
// Returns an empty string for a name that names nothing.
std::string resolvePortName(const std::string& portName);

} // namespace tovan
