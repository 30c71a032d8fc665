#pragma once

#include "core/serial/PortSettings.h"

#include <chrono>
#include <cstddef>

namespace tovan {

// How long `bytes` bytes occupy a line with these settings: a start bit, 8 data bits, the
// parity bit when there is one, and the stop bits. Zero for a baud rate of 0.
std::chrono::microseconds lineTime(std::size_t bytes, const DcbTemplate& settings);

} // namespace tovan
