#include "core/serial/SystemPorts.h"
#include "tools/tovan-tool/Commands.h"
#include "tools/tovan-tool/TerminalText.h"

#include <iostream>

namespace tovan::tool {

int runPorts() {
    const std::vector<SystemPort> ports = listSystemPorts();
    if (ports.empty())
        std::cerr << "tovan-tool: no serial ports and no simulated modules (start one with "
                     "tovan-modsim)\n";
    for (const SystemPort& port : ports)
        std::cout << terminalSafe(port.name) << "  " << terminalSafe(port.description) << '\n';
    return 0;
}

} // namespace tovan::tool
