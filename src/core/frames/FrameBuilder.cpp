#include "core/frames/FrameBuilder.h"

#include "core/frames/FrameLayout.h"

namespace tovan::frame {

std::uint8_t expectedChecksum(const std::uint8_t* frame, std::size_t lengthWithoutChecksum) {
    const std::size_t from = lengthWithoutChecksum > 0 && frame[0] == VX31_START ? 1 : 0;
    std::uint8_t checksum = 0;
    for (std::size_t i = from; i < lengthWithoutChecksum; ++i)
        checksum ^= frame[i];
    return checksum;
}

namespace {

Bytes finish(Bytes frame, const Bytes& data) {
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(expectedChecksum(frame.data(), frame.size()));
    return frame;
}

} // namespace

Bytes buildVx31Frame(std::uint8_t c1, std::uint8_t c2, const Bytes& data) {
    if (data.size() > MAX_DATA_BYTES)
        return {};
    return finish({VX31_START, static_cast<std::uint8_t>(data.size()), c1, c2}, data);
}

Bytes buildVm77Frame(std::uint8_t cmd, const Bytes& data) {
    if (data.size() > MAX_DATA_BYTES)
        return {};
    return finish({VM77_START, cmd, static_cast<std::uint8_t>(data.size())}, data);
}

} // namespace tovan::frame
