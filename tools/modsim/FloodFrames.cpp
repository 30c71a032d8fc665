#include "FloodFrames.h"

namespace tovan::modsim {

Bytes floodFrames(ModuleFamily family, long count) {
    Bytes all;
    all.reserve(static_cast<std::size_t>(count) * 5);
    for (long i = 0; i < count; ++i) {
        const auto lo = static_cast<std::uint8_t>(i);
        const auto hi = static_cast<std::uint8_t>(i >> 8);
        if (family == ModuleFamily::VX31)
            all.insert(all.end(), {0xFE, 0x00, lo, hi, static_cast<std::uint8_t>(lo ^ hi)});
        else
            all.insert(all.end(), {0xFF, lo, 0x01, hi, static_cast<std::uint8_t>(0xFE ^ lo ^ hi)});
    }
    return all;
}

std::uint16_t floodSequence(const std::uint8_t* frame) {
    const std::uint8_t lo = frame[0] == 0xFE ? frame[2] : frame[1];
    return static_cast<std::uint16_t>(lo | frame[3] << 8);
}

} // namespace tovan::modsim
