#pragma once

#include "core/serial/OpenFailure.h"

#include <string>

namespace tovan {

// Why a port across the network ("rfc2217://HOST:PORT", "socket://HOST:PORT") could not be
// opened, and what to do: the host unknown, nothing listening on the port, no answer in time,
// the server turning the client away, a server without serial port control, a setting the
// server did not take.
OpenFailure describeRemoteOpenFailure(const std::string& portName, int error);

} // namespace tovan
