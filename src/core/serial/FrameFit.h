#pragma once

#include "core/frames/ModuleFamily.h"

#include <cstddef>
#include <cstdint>

namespace tovan {

// Whether received bytes begin with a whole frame of `family`, as that family's receiver would
// take it: a module of the other family on the port, or the wrong family chosen, shows as such
// frames among what the receiver discards. Raw frames of the second family carry no checksum,
// so only one long enough for a telegram's link-layer header counts.
bool beginsWithFrameOf(ModuleFamily family, const std::uint8_t* bytes, std::size_t length);

} // namespace tovan
