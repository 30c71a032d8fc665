#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tovan {

// Running module simulators register their pseudo-terminals here under readable names
// ("SIM-VX31-1"), so the port list can offer them and OpenPort can open them by name.
struct SimulatedPort {
    std::string name;
    std::string devicePath;
    int pid = 0;
};

// $XDG_RUNTIME_DIR/tovan/ports, or /tmp/tovan-<uid>/ports when there is no runtime folder.
std::string simulatedPortsFolder();

// The registered ports whose simulator still runs, sorted by name. Entries left behind by a
// simulator that is gone are skipped and removed.
std::vector<SimulatedPort> listSimulatedPorts();

// The device of a registered, live port name; empty when there is none.
std::string findSimulatedPort(std::string_view name);

// The model ("VX31", "VM77") a running simulator registered a port for, the port given by its
// registered name ("SIM-VX31-1") or by its device (/dev/pts/5, pts/5); empty for any other port.
std::string simulatedPortModel(const std::string& portName);

// Registers `devicePath` for this process under the lowest free name "SIM-<model>-<n>".
// Returns the name, or an empty string when the folder cannot be written.
std::string registerSimulatedPort(std::string_view model, const std::string& devicePath);

// Removes the entry of `name` (only when it belongs to this process).
void unregisterSimulatedPort(const std::string& name);

} // namespace tovan
