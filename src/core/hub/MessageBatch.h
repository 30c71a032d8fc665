#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovan {

// Console messages collected by a worker thread while the console was busy, handed over in one
// go and dispatched one by one, in order. Each payload is stored with a zero byte after it.
class MessageBatch {
public:
    using Clock = std::chrono::steady_clock;

    struct Message {
        std::uint32_t code;
        const std::uint8_t* bytes;
        std::size_t length;
        Clock::time_point arrival; // when its bytes were read; the epoch when not known
    };

    void add(std::uint32_t code, const std::uint8_t* bytes, std::size_t length,
             Clock::time_point arrival = {});
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
        Clock::time_point arrival;
    };
    std::vector<Entry> m_entries;
    std::vector<std::uint8_t> m_bytes;
};

} // namespace tovan
