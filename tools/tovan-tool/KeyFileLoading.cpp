#include "tools/tovan-tool/KeyFileLoading.h"

#include "core/wmbus/MeterKeyFile.h"
#include "tools/tovan-tool/TerminalText.h"

#include <iostream>

namespace tovan::tool {

bool loadMeterKeys(const std::string& path, MeterKeys& keys) {
    const std::string file = path.empty() ? MeterKeyFile::defaultPath() : path;
    const MeterKeyFile::Result result = MeterKeyFile::load(file, keys);
    if (!result.loaded && path.empty() && result.missing)
        return true;
    std::cout << std::flush;
    if (!result.loaded) {
        std::cerr << terminalSafe("tovan-tool: " + result.error) << '\n';
        return path.empty();
    }
    for (const MeterKeys::Problem& problem : result.problems)
        std::cerr << terminalSafe(file + ":" + std::to_string(problem.line) + ": " +
                                  problem.reason + "; skipped")
                  << '\n';
    return true;
}

} // namespace tovan::tool
