#pragma once

#include <cstdint>

namespace tovan {

// Sets a speed that has no standard termios constant through the driver's own-divisor
// interface. Returns 0 or errno.
int setCustomBaudRate(int fd, std::uint32_t baudRate);

} // namespace tovan
