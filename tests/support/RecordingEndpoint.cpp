#include "tests/support/RecordingEndpoint.h"

namespace tovan::test {

void RecordingEndpoint::deliver(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) {
    if (onDeliver)
        onDeliver(code);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messages.push_back({code, std::vector<std::uint8_t>(bytes, bytes + length)});
}

bool RecordingEndpoint::waitFor(std::uint32_t code, std::size_t count,
                                std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (messages(code).size() < count) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        loop.runFor(std::min<std::chrono::milliseconds>(
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now),
            std::chrono::milliseconds(5)));
    }
    return true;
}

std::vector<RecordingEndpoint::Message> RecordingEndpoint::messages(std::uint32_t code) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Message> found;
    for (const Message& message : m_messages)
        if (message.code == code)
            found.push_back(message);
    return found;
}

std::vector<RecordingEndpoint::Message> RecordingEndpoint::all() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages;
}

} // namespace tovan::test
