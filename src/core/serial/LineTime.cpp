#include "core/serial/LineTime.h"

namespace tovan {

std::chrono::microseconds lineTime(std::size_t bytes, const DcbTemplate& settings) {
    if (settings.BaudRate == 0)
        return std::chrono::microseconds(0);
    // Counted in half bits, so that one and a half stop bits stay exact.
    unsigned halfBits = 2 * (1 + 8);
    if (settings.Parity != NOPARITY)
        halfBits += 2;
    halfBits += settings.StopBits == TWOSTOPBITS ? 4 : settings.StopBits == ONE5STOPBITS ? 3 : 2;
    const unsigned long long micros = bytes * halfBits * 1000000ull / (2ull * settings.BaudRate);
    return std::chrono::microseconds(micros);
}

} // namespace tovan
