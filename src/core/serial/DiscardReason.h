#pragma once

#include <cstdint>
#include <string_view>

namespace tovan {

// Why the frame assemblers threw received bytes away. The value travels as the first payload
// byte of CD_RX_DISCARDED.
enum class DiscardReason : std::uint8_t {
    StrayBytes = 1,  // bytes before a start byte (first family), a run of them at a time
    BadChecksum = 2, // a whole frame whose last byte is not the checksum of the others
    Gap = 3,         // the start of a frame, cut off by a pause of 20 ms or more
};

// The reason in words: "bytes before a start byte", "wrong checksum", "pause of 20 ms or more
// inside a frame"; "unknown reason" for any other value.
std::string_view discardReasonText(std::uint8_t reason);

} // namespace tovan
