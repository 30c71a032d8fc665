#pragma once

#include "core/frames/ModuleFamily.h"
#include "core/hub/OwnerEndpoint.h"
#include "core/serial/PortSettings.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tovan {
class EventLoop;
}

namespace tovan::tool {

// The port a test plan runs on, opened through the serial channel as `monitor` opens its
// port. Received frames, and bytes the receiver threw away, reach their handlers on the event
// loop's thread with the time their bytes arrived. Everything `run` knows of serial ports is in
// this class.
class PlanPort : public OwnerEndpoint {
public:
    using Time = std::chrono::steady_clock::time_point;
    using FrameHandler = std::function<void(const std::vector<std::uint8_t>& frame, Time arrival)>;
    using DiscardHandler = std::function<void(
        const std::string& reason, const std::vector<std::uint8_t>& bytes, Time arrival)>;

    PlanPort(EventLoop& loop, ModuleFamily family, FrameHandler onFrame, DiscardHandler onDiscard);
    ~PlanPort() override;
    PlanPort(const PlanPort&) = delete;
    PlanPort& operator=(const PlanPort&) = delete;

    // False after printing why the port cannot be opened.
    bool open(const PortSettings& port);
    // Puts the frame on the line and waits until it has left; an empty text, or why not.
    std::string send(const std::vector<std::uint8_t>& frame);
    // Closes the port; frames still on their way are dropped.
    void close();
    // The port went away (adapter unplugged, simulator ended).
    bool lost() const { return m_lost; }

    void deliver(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) override;
    void deliverArrived(std::uint32_t code, const std::uint8_t* bytes, std::size_t length,
                        Time arrival) override;
    void post(std::function<void()> task) override;

private:
    EventLoop& m_loop;
    ModuleFamily m_family;
    FrameHandler m_onFrame;
    DiscardHandler m_onDiscard;
    DcbTemplate m_dcb;
    std::uint8_t m_slot;
    bool m_lost = false;
};

} // namespace tovan::tool
