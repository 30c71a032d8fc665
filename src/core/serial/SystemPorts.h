#pragma once

#include <string>
#include <vector>

namespace tovan {

// A port a user can open: a serial device of the system or a running simulated module.
struct SystemPort {
    std::string name;        // what OpenPort takes: "/dev/ttyUSB0", "SIM-VM77-1"
    std::string description; // "USB 0403:6001 FTDI FT232R USB UART, serial A50285BI", ...
};

// The serial ports the kernel lists under `sysClassTty` (devices with a driver behind them:
// USB adapters, on-board UARTs that have a chip, ...; not virtual consoles, not the 8250
// driver's placeholders), sorted by name, then the running simulated modules.
std::vector<SystemPort> listSystemPorts(const std::string& sysClassTty = "/sys/class/tty");

// What names the USB adapter behind a serial device wherever it is plugged in:
// "vendor:product:serial" (for example "0403:6001:A50285BI"). Empty when the device is not on
// USB or the adapter has no serial number.
std::string usbIdentityOf(const std::string& devicePath,
                          const std::string& sysClassTty = "/sys/class/tty");

} // namespace tovan
