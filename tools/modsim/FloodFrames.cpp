#include "tools/modsim/FloodFrames.h"

#include "core/frames/FrameBuilder.h"

namespace tovan::modsim {

Bytes floodFrames(ModuleFamily family, long count) {
    Bytes all;
    all.reserve(static_cast<std::size_t>(count) * 5);
    for (long i = 0; i < count; ++i) {
        const auto lo = static_cast<std::uint8_t>(i);
        const auto hi = static_cast<std::uint8_t>(i >> 8);
        const Bytes frame = family == ModuleFamily::VX31 ? frame::buildVx31Frame(lo, hi)
                                                         : frame::buildVm77Frame(lo, {hi});
        all.insert(all.end(), frame.begin(), frame.end());
    }
    return all;
}

std::uint16_t floodSequence(const std::uint8_t* frame) {
    const std::uint8_t lo = frame[0] == 0xFE ? frame[2] : frame[1];
    return static_cast<std::uint16_t>(lo | frame[3] << 8);
}

} // namespace tovan::modsim
