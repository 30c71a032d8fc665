#pragma once

#include "core/console/ConsoleHost.h"
#include "core/console/ConsoleState.h"
#include "core/console/ConsoleTraffic.h"
#include "core/serial/DeviceIdentity.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tovan {

class OwnerEndpoint;
class SerialChannel;

// The port of one console: choosing, opening and closing it on the family's serial channel,
// sending frames and telling the user what became of them, losing the port and waiting for
// it to come back. Runs on the console's thread.
class ConsolePort {
public:
    static constexpr const char* ERROR_CAPTION = "Communication Error";

    struct Context {
        ConsoleState& state;
        ConsoleHost& host;
        ConsoleTraffic& traffic;
        SerialChannel& channel;
        OwnerEndpoint& owner; // what the port's reader delivers to
    };

    explicit ConsolePort(Context context) : m_c(context) {}

    bool isOpen() const;
    void choose();
    void open();
    void close();
    // Shows the frame and sends it. A frame that cannot go out says why in the traffic: the
    // previous frame still on the line, or too long; periodic ticks that find the line busy
    // are counted and told once when a frame goes out again. Returns the channel's result
    // (EBADF while no port is open).
    std::uint32_t send(const std::uint8_t* bytes, std::size_t length,
                       ConsoleTraffic::Arrival arrival);
    // Periodic sending stopped: what it skipped is told now.
    void periodicStopped(ConsoleTraffic::Arrival arrival);
    // CD_TX_FAILED: a frame shown as transmitted did not reach the line.
    void transmitFailed(const std::uint8_t* payload, std::size_t length,
                        ConsoleTraffic::Arrival arrival);
    // CD_PORT_LOST: closed as the Close command does; told in the traffic and once in a box.
    void lost(const std::uint8_t* payload, std::size_t length, ConsoleTraffic::Arrival arrival);
    void retryReconnect();
    bool waitingForPort() const { return m_waitingForPort; }
    void showDiscarded(bool on);
    // The window closes: the port goes without the window being told.
    void closeForGood();
    // The port-state pane anew, as the test sequence started or stopped.
    void refreshPortState();

private:
    bool openAs(const std::string& deviceName, bool retry);
    std::string openFailureText() const;
    void setCommands(bool portOpen);
    void stopWaiting();
    void tellSkippedTicks(ConsoleTraffic::Arrival arrival);
    void showPortState(const std::string& text);

    Context m_c;
    DeviceIdentity m_device; // of the port opened last
    bool m_waitingForPort = false;
    bool m_lossTold = false; // since the user last opened the port
    std::uint32_t m_openResult = 0;
    std::uint64_t m_skippedTicks = 0;
    std::string m_portState = "Communication port closed";
    // Tasks posted to the console's thread check it, so none runs after the console is gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace tovan
