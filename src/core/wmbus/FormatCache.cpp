#include "core/wmbus/FormatCache.h"

#include "core/wmbus/TelegramCrc.h"

#include <algorithm>

namespace tovan {

std::uint16_t FormatCache::signatureOf(ByteView layout) {
    return telegramCrc(layout);
}

void FormatCache::remember(const MeterAddress& meter, ByteView layout) {
    if (layout.empty())
        return;
    const Key key{meter, signatureOf(layout)};
    auto found = m_formats.find(key);
    if (found != m_formats.end()) {
        if (!std::equal(found->second.begin(), found->second.end(), layout.data,
                        layout.data + layout.size))
            found->second = layout.copy(); // a signature clash: the newer layout wins
        return;
    }
    if (m_formats.size() >= MAX_FORMATS) {
        m_formats.erase(m_order.front());
        m_order.pop_front();
    }
    m_formats.emplace(key, layout.copy());
    m_order.push_back(key);
}

const std::vector<std::uint8_t>* FormatCache::find(const MeterAddress& meter,
                                                   std::uint16_t signature) const {
    const auto found = m_formats.find({meter, signature});
    return found == m_formats.end() ? nullptr : &found->second;
}

void FormatCache::clear() {
    m_formats.clear();
    m_order.clear();
}

} // namespace tovan
