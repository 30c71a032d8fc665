#pragma once

#include "core/wmbus/MeterKeys.h"

#include <string>

namespace tovan::tool {

// The meter keys a command decrypts with: from `path`, which must load, or (empty path) from
// the default key file where there is one. What is refused or skipped is said on standard
// error, never a key. False when a given file cannot be used.
bool loadMeterKeys(const std::string& path, MeterKeys& keys);

} // namespace tovan::tool
