#include "core/console/ModuleConsole.h"

#include "core/console/CommandStates.h"
#include "core/console/ConsoleCommands.h"
#include "core/hub/ConsoleMessage.h"
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
    : m_family(family), m_host(std::move(host)),
      m_logging(m_host.status, m_host.dialogs, m_host.post),
      m_traffic(family, m_state, m_host.panes, m_logging),
      m_port({m_state, m_host, m_traffic, channel, *this}), m_plan({m_state, m_port, channel}) {
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
        // The composer shows the command first, so what goes out is what the screen shows.
        if (!m_state.periodicActive) {
            m_host.panes.resendSelection();
            m_port.send(bytes, length, arrival);
        }
        break;
    case CD_SAVE_COMMAND: {
        const std::string_view text = textOf(bytes, length);
        m_host.panes.setSelectedData(static_cast<std::uint32_t>(text.size()),
                                     reinterpret_cast<const std::uint8_t*>(text.data()));
        break;
    }
    case CD_SEND_FRAME:
        m_port.send(bytes, length, arrival);
        break;
    case CD_TOGGLE_PERIODIC:
        togglePeriodic(arrival);
        break;
    case CD_RX_FRAME:
        m_traffic.showReceivedBytes(bytes, length, arrival);
        m_plan.onFrame(bytes, length, arrival);
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
        m_plan.onDiscarded(bytes, length, arrival);
        break;
    case CD_PORT_LOST:
        m_port.lost(bytes, length, arrival);
        m_plan.checkPort();
        break;
    case CD_TX_FAILED:
        m_port.transmitFailed(bytes, length, arrival);
        break;
    default:
        break;
    }
}

void ModuleConsole::togglePeriodic(ConsoleTraffic::Arrival arrival) {
    m_state.periodicActive = !m_state.periodicActive;
    if (m_state.periodicActive)
        return;
    m_port.periodicStopped(arrival);
    m_host.panes.resendSelection();
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
    m_port.refreshPortState();
}

void ModuleConsole::stopTestSequence() {
    if (m_testSequence)
        m_testSequence->stop();
    m_testSequence.reset();
    if (m_state.testSequenceRunning) {
        m_state.testSequenceRunning = false;
        m_port.refreshPortState();
    }
}

void ModuleConsole::toggleShowDiscarded() {
    m_state.showDiscarded = !m_state.showDiscarded;
    m_port.showDiscarded(m_state.showDiscarded || m_plan.wantsDiscards());
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
        if (!m_state.reconnect && waitingForPort())
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
    if (commandId == consolecmd::ID_LOGGING)
        return m_logging.loggingOn();
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
    m_plan.stop();
    m_port.closeForGood();
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
