#pragma once

#include "core/console/ConsoleHost.h"
#include "core/console/ConsoleLogging.h"
#include "core/console/ConsolePlan.h"
#include "core/console/ConsolePort.h"
#include "core/console/ConsoleState.h"
#include "core/console/ConsoleTraffic.h"
#include "core/console/TestSequence.h"
#include "core/frames/ModuleFamily.h"
#include "core/hub/OwnerEndpoint.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tovan {

class SerialChannel;

// The behaviour of one module console, without its windows: the hub every pane, reader thread
// and test sequence sends its messages to (deliver), the port, logging, parsing and test
// sequence commands. What it shows of its traffic is its ConsoleTraffic's. Everything runs on
// the console's own thread; workers reach it only through the hand-over.
class ModuleConsole : public OwnerEndpoint {
public:
    using Host = ConsoleHost;

    static constexpr const char* ERROR_CAPTION = ConsolePort::ERROR_CAPTION;

    // `channel` is the serial channel of the console's family that its ports are opened on.
    ModuleConsole(ModuleFamily family, Host host, SerialChannel& channel);
    ~ModuleConsole() override;
    ModuleConsole(const ModuleConsole&) = delete;
    ModuleConsole& operator=(const ModuleConsole&) = delete;

    // The status line's texts when the console is created.
    void initStatusLine();
    // The first text of the traffic window.
    void showBanner();

    // OwnerEndpoint: one console message.
    void deliver(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) override;
    void deliverArrived(std::uint32_t code, const std::uint8_t* bytes, std::size_t length,
                        std::chrono::steady_clock::time_point arrival) override;
    void post(std::function<void()> task) override;

    // Commands.
    void choosePort() { m_port.choose(); }
    // What the settings dialog's OK does, for callers that know the port already.
    void setPortSettings(const PortSettings& settings) { m_state.port = settings; }
    void openPort() { m_port.open(); }
    void closePort() {
        m_port.close();
        m_plan.checkPort();
    }
    void clearView();
    void toggleLogging() { m_logging.toggleLogging(); }
    void toggleParse();
    void toggleTestSequence();
    void toggleShowDiscarded();
    void toggleMilliseconds() { m_state.milliseconds = !m_state.milliseconds; }
    void toggleSideBySide() { m_state.sideBySide = !m_state.sideBySide; }
    bool runCommand(int commandId);
    bool isCommandEnabled(int commandId) const;
    bool isCommandChecked(int commandId) const;

    // While the console waits for its lost port to come back: looks for the device and opens
    // it again with the same settings once it is there.
    void retryReconnect() { m_port.retryReconnect(); }
    bool waitingForPort() const { return m_port.waitingForPort(); }

    // A double-click on the status line's pane `pane`: remembered, carried out, cleared.
    void statusBarDoubleClicked(int pane);

    // The window is closing: port, test sequence and log file are closed.
    void windowClosing();

    // The document's list: read into the tree, or written with the family's header; each
    // says whether it succeeded. CD_STORE_LIST saves in the same way.
    bool OpenCommandList(const std::string& path);
    bool SaveCommandList(const std::string& path);

    // Hands the console a sample telegram every `period` until stopped; a running sequence is
    // replaced. The Testsequence command starts it with the default period.
    void startTestSequence(std::chrono::milliseconds period = TestSequence::DEFAULT_PERIOD);
    void stopTestSequence();

    ModuleFamily family() const { return m_family; }
    const ConsoleState& state() const { return m_state; }
    const ConsoleLogging& logging() const { return m_logging; }
    bool portOpen() const { return m_port.isOpen(); }
    ConsoleTraffic& traffic() { return m_traffic; }
    const ConsoleTraffic& traffic() const { return m_traffic; }
    // The test plan run on the console's port, and its results.
    ConsolePlan& plan() { return m_plan; }
    const ConsolePlan& plan() const { return m_plan; }

private:
    void dispatch(std::uint32_t code, const std::uint8_t* bytes, std::size_t length,
                  ConsoleTraffic::Arrival arrival);
    void togglePeriodic(ConsoleTraffic::Arrival arrival);
    void carryOutPendingAction();

    ModuleFamily m_family;
    Host m_host;
    ConsoleState m_state;
    ConsoleLogging m_logging;
    ConsoleTraffic m_traffic;
    ConsolePort m_port;
    ConsolePlan m_plan;
    std::unique_ptr<TestSequence> m_testSequence;
};

} // namespace tovan
