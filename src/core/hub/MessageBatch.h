#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovan {

// Console messages collected by a worker thread while the console was busy, handed over in one
// go and dispatched one by one, in order. Each payload is stored with a zero byte after it.
class MessageBatch {
public:
    struct Message {
        std::uint32_t code;
        const std::uint8_t* bytes;
        std::size_t length;
    };

    void add(std::uint32_t code, const std::uint8_t* bytes, std::size_t length);
    Message at(std::size_t index) const;
    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    // Payload bytes held, zero bytes included.
    std::size_t byteCount() const { return m_bytes.size(); }
    void clear();

private:
    struct Entry {
        std::uint32_t code;
        std::size_t offset;
        std::size_t length;
    };
    std::vector<Entry> m_entries;
    std::vector<std::uint8_t> m_bytes;
};

} // namespace tovan
