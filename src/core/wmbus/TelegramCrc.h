#pragma once

#include "core/wmbus/ByteView.h"

#include <cstdint>

namespace tovan {

// The CRC of wireless M-Bus (polynomial 0x3D65, start 0, result inverted). It guards the
// extended link layer's payload and names the record layout of a compact frame.
std::uint16_t telegramCrc(ByteView bytes);

} // namespace tovan
