#pragma once

#include "core/wmbus/MeterKeys.h"

#include <string>
#include <vector>

namespace tovan {

// The file the meter keys live in: lines "METER-ID KEY-HEX", '#' comments. Only its owner
// may read or write it: a file that its group or others could read or write is refused as a
// whole, with the reason and the command that fixes it. Files are written with mode 0600.
class MeterKeyFile {
public:
    struct Result {
        bool loaded = false;                      // the keys were read (problem lines aside)
        bool missing = false;                     // there is no file at the path
        std::string error;                        // why nothing was read; empty when loaded
        std::vector<MeterKeys::Problem> problems; // lines that were skipped
    };

    // $XDG_CONFIG_HOME/tovan/meter-keys, else ~/.config/tovan/meter-keys.
    static std::string defaultPath();

    // Adds the keys of the file to `keys`.
    static Result load(const std::string& path, MeterKeys& keys);

    // Writes every key to `path` (creating its folder, mode 0700, where missing) so that a
    // failure leaves the old file as it was. 0, or the errno of what failed.
    static int save(const std::string& path, const MeterKeys& keys);

    // Key files are small; a larger file is no key file.
    static constexpr long MAX_SIZE = 1 << 20;
};

} // namespace tovan
