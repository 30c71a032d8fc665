#pragma once

#include "core/serial/PortSettings.h"

#include <memory>
#include <string>

namespace tovan {

class Port;

// The port a name asks for: a port across the network for "rfc2217://HOST:PORT" and
// "socket://HOST:PORT" (opened by the name itself), the local serial device otherwise (opened
// by the device path the name resolves to).
struct PortChoice {
    std::unique_ptr<Port> port;
    std::string device;              // what to pass to Port::open
    std::uint32_t framePauseMs = 20; // the pause that ends a frame on this port
};

// 0 and the choice, or ENOENT for a local name that names nothing, REMOTE_BAD_ADDRESS for a
// remote name that is not HOST:PORT, ENOMEM.
int choosePort(const std::string& portName, const RemoteOptions& remote, PortChoice& choice);

} // namespace tovan
