#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace tovan {

// What every sender of console messages holds instead of the console itself: the console's
// single entry point plus a way to reach the console's own thread. Tests use a recording
// endpoint; the GUI console implements it on its window.
class OwnerEndpoint {
public:
    virtual ~OwnerEndpoint() = default;

    // Handles one console message (ConsoleCode). Always called on the owner's thread.
    virtual void deliver(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) = 0;

    // The same for a message whose bytes a port's reader read at `arrival`, which may be a
    // few milliseconds before the message is handled. Owners that show arrival times take it;
    // for the others it is deliver().
    virtual void deliverArrived(std::uint32_t code, const std::uint8_t* bytes, std::size_t length,
                                std::chrono::steady_clock::time_point arrival) {
        (void)arrival;
        deliver(code, bytes, length);
    }

    // Queues `task` to run later on the owner's thread. Callable from any thread; must never
    // run the task before returning.
    virtual void post(std::function<void()> task) = 0;
};

} // namespace tovan
