#include "core/console/ModuleConsole.h"

#include "core/console/CommandStates.h"
#include "core/console/ConsoleCommands.h"
#include "core/hub/ConsoleMessage.h"
#include "core/serial/OpenFailure.h"
#include "core/serial/SerialChannel.h"
#include "core/tree/CommandListHeader.h"
#include "core/tree/FileReplace.h"

#include <cstring>

namespace tovan {
namespace {

// A text payload ends after `length` bytes or at its first zero byte, whichever comes first.
std::string_view textOf(const std::uint8_t* bytes, std::size_t length) {
    if (!bytes)
        return {};
    const auto* text = reinterpret_cast<const char*>(bytes);
    const void* zero = std::memchr(text, 0, length);
    return std::string_view(text, zero ? static_cast<const char*>(zero) - text : length);
}

} // namespace

ModuleConsole::ModuleConsole(ModuleFamily family, Host host, SerialChannel& channel)
    : m_family(family), m_host(std::move(host)), m_channel(channel),
      m_logging(m_host.status, m_host.dialogs, m_host.post),
      m_traffic(family, m_state, m_host.panes, m_logging) {
    m_state.port = PortSettings::forFamily(family);
}

ModuleConsole::~ModuleConsole() {
    windowClosing();
}

void ModuleConsole::initStatusLine() {
    m_host.status.setPaneText(StatusLine::PORT_STATE, "Communication port closed");
    m_host.status.setPaneText(StatusLine::LOGGING_STATE, "Logging disabled");
    m_host.status.setPaneText(StatusLine::LOG_FILE, "");
    m_host.status.setPaneText(StatusLine::PORT_NAME, "COM1");
    m_host.status.setPaneText(StatusLine::BAUD, " ");
}

void ModuleConsole::showBanner() {
    m_traffic.showBanner();
}

void ModuleConsole::post(std::function<void()> task) {
    m_host.post(std::move(task));
}

void ModuleConsole::deliver(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) {
    dispatch(code, bytes, length, {});
}

void ModuleConsole::deliverArrived(std::uint32_t code, const std::uint8_t* bytes,
                                   std::size_t length, ConsoleTraffic::Arrival arrival) {
    dispatch(code, bytes, length, arrival);
}

void ModuleConsole::dispatch(std::uint32_t code, const std::uint8_t* bytes, std::size_t length,
                             ConsoleTraffic::Arrival arrival) {
    switch (code) {
    case CD_LOAD_COMMAND:
        m_host.panes.layoutFields();
        if (!m_state.periodicActive)
            m_host.panes.loadFrameText(textOf(bytes, length));
        break;
    case CD_SEND_SELECTED:
        if (!m_state.periodicActive)
            sendFrame(bytes, length);
        break;
    case CD_SAVE_COMMAND: {
        const std::string_view text = textOf(bytes, length);
        m_host.panes.setSelectedData(static_cast<std::uint32_t>(text.size()),
                                     reinterpret_cast<const std::uint8_t*>(text.data()));
        break;
    }
    case CD_SEND_FRAME:
        sendFrame(bytes, length);
        break;
    case CD_TOGGLE_PERIODIC:
        m_state.periodicActive = !m_state.periodicActive;
        if (!m_state.periodicActive)
            m_host.panes.resendSelection();
        break;
    case CD_RX_FRAME:
        m_traffic.showReceivedBytes(bytes, length, arrival);
        break;
    case CD_TX_FRAME:
        m_traffic.showTransmitted(bytes, length, arrival);
        break;
    case CD_STORE_LIST:
        SaveCommandList(std::string(textOf(bytes, length)));
        break;
    case CD_TEST_TELEGRAM:
        if (m_family == ModuleFamily::VM77)
            m_traffic.showTestTelegram(textOf(bytes, length), arrival);
        break;
    case CD_RX_DISCARDED:
        m_traffic.showDiscarded(bytes, length, arrival);
        break;
    case CD_PORT_LOST:
        if (bytes && length > 0)
            portLost(bytes[0]);
        break;
    default:
        break;
    }
}

// Results are not shown: a failed write has already shown its frame, and a frame refused
// while the line is busy is skipped like a late timer tick.
void ModuleConsole::sendFrame(const std::uint8_t* bytes, std::size_t length) {
    if (bytes || length == 0)
        m_channel.SendFrame(m_state.slot, bytes, length);
}

void ModuleConsole::setPortCommands(bool portOpen) {
    m_state.chooseDisabled = m_state.openDisabled = portOpen;
    m_state.closeDisabled = !portOpen;
}

// Opens the console's port by `deviceName` (the port name itself, or where its device is now)
// with the console's settings. m_openResult keeps the channel's result.
bool ModuleConsole::openPortAs(const std::string& deviceName) {
    std::uint8_t slot = SerialChannel::NO_PORT;
    m_openResult = m_channel.OpenPort(deviceName, m_state.port.dcb, *this, slot);
    if (m_openResult != 0)
        return false;
    m_state.slot = slot;
    m_channel.SetReportDiscards(slot, m_state.showDiscarded);
    m_traffic.restartClock();
    setPortCommands(true);
    m_host.status.setPaneText(StatusLine::PORT_STATE, m_state.port.portName + " opened");
    m_host.panes.setPortOpen(true);
    return true;
}

void ModuleConsole::openPort() {
    if (portOpen() || m_waitingForPort)
        return;
    if (openPortAs(m_state.port.portName)) {
        m_device = DeviceIdentity::of(m_state.port.portName);
        m_lossTold = false;
    } else if (m_openResult == SerialChannel::ERR_TOO_MANY_PORTS) {
        m_host.dialogs.showError("Too many communication ports opened. Please close one port.",
                                 ERROR_CAPTION);
    } else {
        m_host.dialogs.showError(openFailureText(), ERROR_CAPTION);
    }
    m_host.panes.resendSelection();
}

// The console's own words first; under them why, and what to do about it: not in the group
// that may open the device, in use by another program, no such port (and those that exist).
std::string ModuleConsole::openFailureText() const {
    const std::string& name = m_state.port.portName;
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

void ModuleConsole::stopWaiting() {
    if (!m_waitingForPort)
        return;
    m_waitingForPort = false;
    m_host.panes.waitForPort(false);
}

void ModuleConsole::closePort() {
    stopWaiting();
    m_channel.ClosePort(m_state.slot);
    m_state.slot = SerialChannel::NO_PORT;
    setPortCommands(false);
    m_host.status.setPaneText(StatusLine::PORT_STATE, "Communication port closed");
    m_host.panes.setPortOpen(false);
    m_host.panes.resendSelection();
}

// The port went away under the console (adapter unplugged, simulator ended): closed as the
// Close command does, and the user is told once, after the delivery has returned. With
// reconnecting on, the console then waits for the device to come back; the close command
// stays enabled, to stop waiting.
void ModuleConsole::portLost(std::uint8_t slot) {
    if (slot != m_state.slot)
        return;
    const std::string name = m_state.port.portName;
    closePort();
    if (m_state.reconnect) {
        m_waitingForPort = true;
        setPortCommands(true);
        m_host.status.setPaneText(StatusLine::PORT_STATE, "Waiting for " + name);
        m_host.panes.waitForPort(true);
    }
    if (m_lossTold)
        return;
    m_lossTold = true;
    post([this, name, alive = std::weak_ptr<bool>(m_alive)] {
        if (!alive.expired())
            m_host.dialogs.showError("Communication port " + name + " lost.", ERROR_CAPTION);
    });
}

void ModuleConsole::retryReconnect() {
    if (!m_waitingForPort)
        return;
    const std::string device = m_device.locate();
    if (device.empty() || !openPortAs(device))
        return;
    stopWaiting();
    m_host.panes.resendSelection();
}

void ModuleConsole::choosePort() {
    if (portOpen())
        return;
    std::string portText;
    std::string baudText;
    if (!m_host.dialogs.editPortSettings(m_state.port, portText, baudText))
        return;
    m_host.status.setPaneText(StatusLine::PORT_NAME, portText);
    m_host.status.setPaneText(StatusLine::BAUD, baudText);
}

void ModuleConsole::clearView() {
    m_traffic.clear();
}

void ModuleConsole::toggleParse() {
    if (m_family == ModuleFamily::VM77)
        m_state.parseRx = !m_state.parseRx;
}

void ModuleConsole::toggleTestSequence() {
    if (m_family != ModuleFamily::VM77)
        return;
    if (m_state.testSequenceRunning)
        stopTestSequence();
    else
        startTestSequence();
}

void ModuleConsole::startTestSequence(std::chrono::milliseconds period) {
    stopTestSequence();
    m_testSequence = std::make_unique<TestSequence>(*this, period);
    m_state.testSequenceRunning = true;
}

void ModuleConsole::stopTestSequence() {
    if (m_testSequence)
        m_testSequence->stop();
    m_testSequence.reset();
    m_state.testSequenceRunning = false;
}

void ModuleConsole::toggleShowDiscarded() {
    m_state.showDiscarded = !m_state.showDiscarded;
    if (portOpen())
        m_channel.SetReportDiscards(m_state.slot, m_state.showDiscarded);
}

bool ModuleConsole::runCommand(int commandId) {
    using namespace consolecmd;
    if (!isCommandEnabled(commandId))
        return false;
    switch (commandId) {
    case ID_CHOOSE_PORT:
        choosePort();
        return true;
    case ID_OPEN_PORT:
        openPort();
        return true;
    case ID_CLOSE_PORT:
        closePort();
        return true;
    case ID_CLEAR_VIEW:
        clearView();
        return true;
    case ID_LOGGING:
        toggleLogging();
        return true;
    case ID_PARSE_RX:
        toggleParse();
        return true;
    case ID_TEST_SEQUENCE:
        toggleTestSequence();
        return true;
    case ID_SHOW_DISCARDED:
        toggleShowDiscarded();
        return true;
    case ID_MILLISECONDS:
        toggleMilliseconds();
        return true;
    case ID_SIDE_BY_SIDE:
        toggleSideBySide();
        return true;
    case ID_RECONNECT:
        m_state.reconnect = !m_state.reconnect;
        if (!m_state.reconnect && m_waitingForPort)
            closePort();
        return true;
    default:
        return false;
    }
}

bool ModuleConsole::isCommandEnabled(int commandId) const {
    return consolecmd::isEnabled(commandId, m_state, m_family);
}

bool ModuleConsole::isCommandChecked(int commandId) const {
    return consolecmd::isChecked(commandId, m_state);
}

void ModuleConsole::statusBarDoubleClicked(int pane) {
    switch (pane) {
    case StatusLine::LOGGING_STATE:
        m_state.pendingStatusAction = ConsoleState::LOGGING_SWITCH;
        break;
    case StatusLine::LOG_FILE:
        m_state.pendingStatusAction = ConsoleState::LOG_FILE;
        break;
    case StatusLine::PORT_NAME:
    case StatusLine::BAUD:
        m_state.pendingStatusAction = ConsoleState::PORT;
        break;
    default:
        break;
    }
    carryOutPendingAction();
}

void ModuleConsole::carryOutPendingAction() {
    const std::uint8_t action = m_state.pendingStatusAction;
    m_state.pendingStatusAction = ConsoleState::NONE;
    switch (action) {
    case ConsoleState::LOGGING_SWITCH:
        m_logging.setLogging(!m_logging.loggingOn());
        break;
    case ConsoleState::LOG_FILE:
        m_logging.chooseLogFile();
        break;
    case ConsoleState::PORT:
        if (!portOpen())
            choosePort();
        break;
    default:
        break;
    }
}

void ModuleConsole::windowClosing() {
    stopWaiting();
    if (portOpen()) {
        m_channel.ClosePort(m_state.slot);
        m_state.slot = SerialChannel::NO_PORT;
        setPortCommands(false);
    }
    // The test sequence belongs to its console and ends with it.
    stopTestSequence();
    m_logging.closeFile();
}

bool ModuleConsole::OpenCommandList(const std::string& path) {
    const bool loaded = m_host.panes.reloadList(path);
    m_state.commandListPath = path;
    return loaded;
}

bool ModuleConsole::SaveCommandList(const std::string& path) {
    const std::string_view model = modelName(m_family);
    const bool saved = replaceFile(path, [&](const std::string& file) {
        return writeListHeader(file, model) && m_host.panes.saveList(file);
    });
    if (saved)
        m_state.commandListPath = path;
    return saved;
}

} // namespace tovan
