#pragma once

#include "core/wmbus/ByteView.h"
#include "core/wmbus/TelegramLayers.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <utility>
#include <vector>

namespace tovan {

// The record layouts of full frames heard in this session, per meter and format signature,
// so that later compact frames of the same meter can be read. Holds at most MAX_FORMATS
// layouts; the oldest goes first.
class FormatCache {
public:
    // Keeps the layout (record headers one after the other) of a full frame of `meter`.
    void remember(const MeterAddress& meter, ByteView layout);
    // The layout a compact frame of `meter` names by `signature`, or null.
    const std::vector<std::uint8_t>* find(const MeterAddress& meter, std::uint16_t signature) const;
    std::size_t size() const { return m_formats.size(); }
    void clear();

    // A layout's format signature: the telegram CRC of its bytes.
    static std::uint16_t signatureOf(ByteView layout);

    static constexpr std::size_t MAX_FORMATS = 4096;

private:
    using Key = std::pair<MeterAddress, std::uint16_t>;
    std::map<Key, std::vector<std::uint8_t>> m_formats;
    std::deque<Key> m_order;
};

} // namespace tovan
