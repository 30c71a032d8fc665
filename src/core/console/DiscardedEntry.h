#pragma once

#include "core/console/TrafficText.h"

#include <cstdint>
#include <string_view>

namespace tovan::traffic {

// Bytes the receiver discarded (not logged, in grey so they stand apart from frames).
constexpr Colour DISCARDED_COLOUR = 0x808080;

// The entry of a CD_RX_DISCARDED message: "hh:mm:ss  discarded, wrong checksum:" over the
// discarded bytes. `payload` is the message's payload: the reason byte, then the bytes.
Entry discarded(std::string_view time, const std::uint8_t* payload, std::size_t length);

} // namespace tovan::traffic
