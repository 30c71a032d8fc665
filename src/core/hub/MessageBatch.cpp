#include "core/hub/MessageBatch.h"

namespace tovan {

void MessageBatch::add(std::uint32_t code, const std::uint8_t* bytes, std::size_t length,
                       Clock::time_point arrival) {
    m_entries.push_back({code, m_bytes.size(), length, arrival});
    if (length > 0)
        m_bytes.insert(m_bytes.end(), bytes, bytes + length);
    m_bytes.push_back(0);
}

MessageBatch::Message MessageBatch::at(std::size_t index) const {
    const Entry& entry = m_entries.at(index);
    return {entry.code, m_bytes.data() + entry.offset, entry.length, entry.arrival};
}

void MessageBatch::clear() {
    m_entries.clear();
    m_bytes.clear();
}

} // namespace tovan
