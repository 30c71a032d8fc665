#pragma once

#include <string>

namespace tovan {

// What recognises a serial device when it comes back after it went away: the name the user
// opened it by (a simulated module's name, a /dev/serial/by-id link, a path) and, for a USB
// adapter with a serial number, that adapter wherever it is plugged in (it may come back as
// another ttyUSB number). A port across the network is recognised by its name, HOST:PORT.
struct DeviceIdentity {
    std::string portName;
    std::string usbIdentity; // "vendor:product:serial"; empty when there is none

    static DeviceIdentity of(const std::string& portName,
                             const std::string& sysClassTty = "/sys/class/tty");

    // The name to open the device by now; empty while it is not there. A remote name is
    // returned as it is: whether the server is back shows when the port is opened.
    std::string locate(const std::string& sysClassTty = "/sys/class/tty") const;
};

} // namespace tovan
