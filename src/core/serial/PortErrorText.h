#pragma once

#include <string>

namespace tovan {

// Why a port ended, in words for the traffic window: "the other end hung up" (EPIPE), "the
// device was removed" (EIO, ENXIO, ENODEV); for a port across the network "the server closed
// the connection", a reset, a time-out, an unreachable server; the system's own text otherwise.
std::string portLossReason(int error);

// Why a frame shown as transmitted did not reach the line: "the line did not take the frame in
// time (is a handshake holding it?)" (ETIMEDOUT), the system's own text otherwise.
std::string transmitFailureReason(int error);

} // namespace tovan
