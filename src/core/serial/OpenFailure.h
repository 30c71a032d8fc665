#pragma once

#include <string>

namespace tovan {

// Why a port could not be opened, in words a user can act on.
struct OpenFailure {
    std::string reason; // one line, e.g. "permission denied"
    std::string hint;   // what to do about it; may span lines; empty when there is nothing
};

// Explains the error code (errno, or SerialChannel::ERR_TOO_MANY_PORTS) that opening
// `portName` gave. Looks at the device where that tells more: the group that may open it, the
// program that holds it, the ports that do exist. A port across the network is explained by
// describeRemoteOpenFailure.
OpenFailure describeOpenFailure(const std::string& portName, int error);

// "reason" followed by the hint on the next lines, each hint line indented by two spaces.
std::string formatOpenFailure(const std::string& portName, const OpenFailure& failure);

} // namespace tovan
