#include "core/wmbus/TelegramCrc.h"

#include <array>

namespace tovan {
namespace {

constexpr std::array<std::uint16_t, 256> makeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned crc = byte << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? (crc << 1) ^ 0x3D65 : crc << 1;
        table[byte] = static_cast<std::uint16_t>(crc);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> TABLE = makeTable();

} // namespace

std::uint16_t telegramCrc(ByteView bytes) {
    unsigned crc = 0;
    for (std::size_t i = 0; i < bytes.size; ++i)
        crc = (crc << 8 ^ TABLE[(crc >> 8 ^ bytes[i]) & 0xFF]) & 0xFFFF;
    return static_cast<std::uint16_t>(~crc & 0xFFFF);
}

} // namespace tovan
