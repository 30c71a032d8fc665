#pragma once

#include "core/hub/EventLoop.h"
#include "core/hub/OwnerEndpoint.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tovan::test {

// An owner endpoint whose "user-interface thread" is whichever thread runs its loop
// (usually the test's own thread). It records every message it is given.
class RecordingEndpoint : public OwnerEndpoint {
public:
    struct Message {
        std::uint32_t code;
        std::vector<std::uint8_t> bytes;
        std::string text() const { return std::string(bytes.begin(), bytes.end()); }
    };

    void deliver(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) override;
    void post(std::function<void()> task) override { loop.post(std::move(task)); }

    // Runs the loop until `count` messages of `code` arrived or `timeout` passed.
    bool waitFor(std::uint32_t code, std::size_t count,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10));

    std::vector<Message> messages(std::uint32_t code) const;
    std::vector<Message> all() const;

    // Called inside deliver(), on the loop's thread, before the message is recorded.
    std::function<void(std::uint32_t code)> onDeliver;

    EventLoop loop;

private:
    mutable std::mutex m_mutex;
    std::vector<Message> m_messages;
};

} // namespace tovan::test
