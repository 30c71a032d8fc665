#pragma once

#include "core/console/DiscardedEntry.h"
#include "core/console/TrafficText.h"

#include <string_view>

namespace tovan::traffic {

// The console's own words in the traffic, grey as discarded bytes are, so they stand apart from
// frames: "hh:mm:ss  Transmit failed: ...", "hh:mm:ss  port lost: ...". Logged, as the log
// follows the window.
constexpr Colour NOTE_COLOUR = DISCARDED_COLOUR;

Entry note(std::string_view time, std::string_view text);

} // namespace tovan::traffic
