#include "Commands.h"

#include <iostream>

namespace tovan::tool {

int runMonitor(const std::vector<std::string>&) {
    std::cerr << "tovan-tool: monitor needs the serial channel, which this build lacks\n";
    return EXIT_FAILED;
}

} // namespace tovan::tool
