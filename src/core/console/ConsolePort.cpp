#include "core/console/ConsolePort.h"

#include "core/serial/OpenFailure.h"
#include "core/serial/PortErrorText.h"
#include "core/serial/SerialChannel.h"

#include <cerrno>

namespace tovan {

namespace {

constexpr const char* PREVIOUS_STILL_ON_LINE = "Not sent: the previous frame is still on the line";

std::string_view reasonOf(const std::uint8_t* payload, std::size_t length) {
    if (!payload || length < 2)
        return {};
    return std::string_view(reinterpret_cast<const char*>(payload + 1), length - 1);
}

} // namespace

bool ConsolePort::isOpen() const {
    return m_c.state.slot != SerialChannel::NO_PORT;
}

void ConsolePort::setCommands(bool portOpen) {
    m_c.state.chooseDisabled = m_c.state.openDisabled = portOpen;
    m_c.state.closeDisabled = !portOpen;
}

// A running test sequence is told beside the port's state: its telegrams pass for received
// ones otherwise.
void ConsolePort::showPortState(const std::string& text) {
    m_portState = text;
    refreshPortState();
}

void ConsolePort::refreshPortState() {
    m_c.host.status.setPaneText(StatusLine::PORT_STATE,
                                m_c.state.testSequenceRunning
                                    ? m_portState + " - Testsequence running"
                                    : m_portState);
}

void ConsolePort::choose() {
    if (isOpen())
        return;
    std::string portText;
    std::string baudText;
    if (!m_c.host.dialogs.editPortSettings(m_c.state.port, portText, baudText))
        return;
    m_c.host.status.setPaneText(StatusLine::PORT_NAME, portText);
    m_c.host.status.setPaneText(StatusLine::BAUD, baudText);
}

// Opens the console's port by `deviceName` (the port name itself, or where its device is now)
// with the console's settings; a `retry` waits only briefly for a server across the network.
// m_openResult keeps the channel's result.
bool ConsolePort::openAs(const std::string& deviceName, bool retry) {
    std::uint8_t slot = SerialChannel::NO_PORT;
    RemoteOptions remote = m_c.state.port.remote;
    if (retry) // a server that is away must not hold the console's thread up
        remote.connectTimeoutMs = RemoteOptions::RETRY_CONNECT_TIMEOUT_MS;
    m_openResult = m_c.channel.OpenPort(deviceName, m_c.state.port.dcb, m_c.owner, slot, remote);
    if (m_openResult != 0)
        return false;
    m_c.state.slot = slot;
    m_c.channel.SetReportDiscards(slot, m_c.state.showDiscarded);
    m_c.traffic.restartClock();
    m_skippedTicks = 0;
    setCommands(true);
    showPortState(m_c.state.port.portName + " opened");
    m_c.host.panes.setPortOpen(true);
    return true;
}

void ConsolePort::open() {
    if (isOpen() || m_waitingForPort)
        return;
    if (openAs(m_c.state.port.portName, false)) {
        m_device = DeviceIdentity::of(m_c.state.port.portName);
        m_lossTold = false;
    } else if (m_openResult == SerialChannel::ERR_TOO_MANY_PORTS) {
        m_c.host.dialogs.showError("Too many communication ports opened. Please close one port.",
                                   ERROR_CAPTION);
    } else {
        m_c.host.dialogs.showError(openFailureText(), ERROR_CAPTION);
    }
    m_c.host.panes.resendSelection();
}

// The console's own words first; under them why, and what to do about it: not in the group
// that may open the device, in use by another program, no such port (and those that exist).
std::string ConsolePort::openFailureText() const {
    const std::string& name = m_c.state.port.portName;
    const OpenFailure failure = describeOpenFailure(name, static_cast<int>(m_openResult));
    std::string reason = failure.reason;
    if (!reason.empty() && reason[0] >= 'a' && reason[0] <= 'z')
        reason[0] = static_cast<char>(reason[0] - 'a' + 'A');
    std::string text = "Unable to open " + name + ". Please check com settings.\n\n";
    text += reason + ".";
    if (!failure.hint.empty())
        text += "\n" + failure.hint;
    return text;
}

void ConsolePort::stopWaiting() {
    if (!m_waitingForPort)
        return;
    m_waitingForPort = false;
    m_c.host.panes.waitForPort(false);
}

void ConsolePort::close() {
    stopWaiting();
    m_c.channel.ClosePort(m_c.state.slot);
    m_c.state.slot = SerialChannel::NO_PORT;
    setCommands(false);
    showPortState("Communication port closed");
    m_c.host.panes.setPortOpen(false);
    m_c.host.panes.resendSelection();
}

void ConsolePort::closeForGood() {
    stopWaiting();
    if (!isOpen())
        return;
    m_c.channel.ClosePort(m_c.state.slot);
    m_c.state.slot = SerialChannel::NO_PORT;
    setCommands(false);
}

void ConsolePort::showDiscarded(bool on) {
    if (isOpen())
        m_c.channel.SetReportDiscards(m_c.state.slot, on);
}

std::uint32_t ConsolePort::send(const std::uint8_t* bytes, std::size_t length,
                                ConsoleTraffic::Arrival arrival) {
    if (!isOpen())
        return EBADF;
    if (!bytes && length > 0)
        return EINVAL;
    const std::uint32_t result = m_c.channel.SendFrame(m_c.state.slot, bytes, length);
    if (result == 0) {
        tellSkippedTicks(arrival);
    } else if (result == EBUSY && m_c.state.periodicActive) {
        ++m_skippedTicks; // a tick that comes while the line is busy is skipped, as a late one
    } else if (result == EBUSY) {
        m_c.traffic.showNote(PREVIOUS_STILL_ON_LINE, arrival);
    } else if (result == EMSGSIZE) {
        m_c.traffic.showNote("Not sent: a frame holds at most " +
                                 std::to_string(SerialChannel::TX_BUFFER_SIZE) + " bytes",
                             arrival);
    }
    return result;
}

void ConsolePort::periodicStopped(ConsoleTraffic::Arrival arrival) {
    tellSkippedTicks(arrival);
}

void ConsolePort::tellSkippedTicks(ConsoleTraffic::Arrival arrival) {
    if (m_skippedTicks == 0)
        return;
    const std::uint64_t skipped = m_skippedTicks;
    m_skippedTicks = 0;
    m_c.traffic.showNote(std::to_string(skipped) +
                             (skipped == 1 ? " periodic frame" : " periodic frames") +
                             " skipped while the line was busy",
                         arrival);
}

void ConsolePort::transmitFailed(const std::uint8_t* payload, std::size_t length,
                                 ConsoleTraffic::Arrival arrival) {
    std::uint32_t error = 0;
    for (std::size_t i = 0; payload && i < 4 && i < length; ++i)
        error |= static_cast<std::uint32_t>(payload[i]) << (8 * i);
    const std::string text = "Transmit failed: " + transmitFailureReason(static_cast<int>(error));
    m_c.traffic.showNote(text, arrival);
    m_c.host.status.showMessage(text);
}

// The port went away under the console (adapter unplugged, simulator ended): closed as the
// Close command does, and the user is told once, after the delivery has returned. With
// reconnecting on, the console then waits for the device to come back; the close command
// stays enabled, to stop waiting.
void ConsolePort::lost(const std::uint8_t* payload, std::size_t length,
                       ConsoleTraffic::Arrival arrival) {
    if (!payload || length == 0 || payload[0] != m_c.state.slot)
        return;
    const std::string name = m_c.state.port.portName;
    const std::string_view reason = reasonOf(payload, length);
    m_c.traffic.showNote("port lost: " + std::string(reason.empty() ? "unknown" : reason), arrival);
    close();
    if (m_c.state.reconnect) {
        m_waitingForPort = true;
        setCommands(true);
        showPortState("Waiting for " + name);
        m_c.host.panes.waitForPort(true);
    }
    if (m_lossTold)
        return;
    m_lossTold = true;
    m_c.host.post([this, name, alive = std::weak_ptr<bool>(m_alive)] {
        if (!alive.expired())
            m_c.host.dialogs.portLost(name);
    });
}

void ConsolePort::retryReconnect() {
    if (!m_waitingForPort)
        return;
    const std::string device = m_device.locate();
    if (device.empty() || !openAs(device, true))
        return;
    stopWaiting();
    m_c.traffic.showNote("port reopened", {});
    m_c.host.panes.resendSelection();
}

} // namespace tovan
