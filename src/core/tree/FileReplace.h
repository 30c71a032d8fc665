#pragma once

#include <functional>
#include <string>

namespace tovan {

// Writes a file so that a failure half-way (disk full, a killed process) leaves the old file
// as it was: `write` fills a new file beside the target, which then takes the target's place
// in one rename, with the target's permissions. A target that may not be written (read-only
// file or folder) is refused. A symbolic link is followed: the file it names is replaced.
// False when anything failed; the target is then untouched.
bool replaceFile(const std::string& path, const std::function<bool(const std::string&)>& write);

} // namespace tovan
