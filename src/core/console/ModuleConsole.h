#pragma once

#include "console/CTelegramDecoder.h"
#include "console/ConsoleHost.h"
#include "console/ConsoleLogging.h"
#include "console/ConsoleState.h"
#include "console/EntryTime.h"
#include "console/MeterTable.h"
#include "console/TrafficHistory.h"
#include "console/TrafficText.h"
#include "frames/CHexCodec.h"
#include "frames/ModuleFamily.h"
#include "hub/OwnerEndpoint.h"
#include "serial/DeviceIdentity.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tovan {

class SerialChannel;

// The behaviour of one module console, without its windows: the hub every pane, reader thread
// and test sequence sends its messages to (deliver), the port, logging, parsing and test
// sequence commands, and the traffic entries it shows. Everything runs on the console's own
// thread; workers reach it only through the hand-over.
class ModuleConsole : public OwnerEndpoint {
public:
    struct Host {
        ConsolePanes& panes;
        StatusLine& status;
        ConsoleDialogs& dialogs;
        PostToConsole post;
    };

    static constexpr const char* ERROR_CAPTION = "Communication Error";

    // `channel` defaults to the process's channel of the family.
    ModuleConsole(ModuleFamily family, Host host, SerialChannel* channel = nullptr);
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
    void choosePort();
    // What the settings dialog's OK does, for callers that know the port already.
    void setPortSettings(const PortSettings& settings) { m_state.port = settings; }
    void openPort();
    void closePort();
    void clearView();
    void toggleLogging() { m_logging.toggleLogging(); }
    void toggleParse();
    void toggleTestSequence();
    void toggleShowDiscarded();
    void toggleMilliseconds() { m_state.milliseconds = !m_state.milliseconds; }
    void toggleSideBySide() { m_state.sideBySide = !m_state.sideBySide; }
    // Shows only the entries that hold `text` (everything for an empty text). What the window
    // holds is kept whole meanwhile: clearing the filter shows it all again.
    void setFilter(std::string_view text);
    const TrafficFilter& filter() const { return m_filter; }
    bool runCommand(int commandId);
    bool isCommandEnabled(int commandId) const;
    bool isCommandChecked(int commandId) const;

    // While the console waits for its lost port to come back: looks for the device and opens
    // it again with the same settings once it is there.
    void retryReconnect();
    bool waitingForPort() const { return m_waitingForPort; }

    // A double-click on the status line's pane `pane`: remembered, carried out, cleared.
    void statusBarDoubleClicked(int pane);

    // The window is closing: port, test sequence and log file are closed.
    void windowClosing();

    // The document's list: read into the tree, or written with the family's header.
    bool OpenCommandList(const std::string& path);
    bool SaveCommandList(const std::string& path);
    // Whether the last list written (also through CD_STORE_LIST) reached its file.
    bool lastSaveSucceeded() const { return m_lastSaveSucceeded; }

    ModuleFamily family() const { return m_family; }
    const ConsoleState& state() const { return m_state; }
    const ConsoleLogging& logging() const { return m_logging; }
    bool portOpen() const { return m_state.slot != SerialChannel::NO_PORT; }
    // Frames and test telegrams shown as received since the console was created.
    std::uint64_t receivedCount() const { return m_received; }
    // The meters heard since the console opened or since Clear view (second family).
    const MeterTable& meters() const { return m_meters; }
    // Called whenever the meter table changed.
    void setMetersListener(std::function<void()> listener) {
        m_metersChanged = std::move(listener);
    }

private:
    void setPortCommands(bool portOpen);
    void sendFrame(const std::uint8_t* bytes, std::size_t length);
    void showEntry(traffic::Entry entry);
    void addToWindow(const traffic::Entry& entry);
    // The time of the entry being made: hh:mm:ss, or to the millisecond with the time since
    // the port's previous entry.
    std::string entryTime();
    std::string charactersOf(const std::uint8_t* bytes, std::size_t length) const;
    void showReceived(std::string_view hex, std::string_view characters);
    void showReceivedBytes(const std::uint8_t* bytes, std::size_t length);
    void showTestTelegram(std::string_view text);
    void showTransmitted(const std::uint8_t* bytes, std::size_t length);
    void showDiscarded(const std::uint8_t* payload, std::size_t length);
    void countMeter(std::string_view hex);
    void portLost(std::uint8_t slot);
    bool openPortAs(const std::string& deviceName);
    std::string openFailureText() const;
    void stopWaiting();
    void carryOutPendingAction();

    ModuleFamily m_family;
    Host m_host;
    SerialChannel& m_channel;
    ConsoleState m_state;
    ConsoleLogging m_logging;
    CTelegramDecoder m_decoder;
    CHexCodec m_codec;
    traffic::TimeOfDay m_clock;
    traffic::EntryClock m_entryClock;
    std::chrono::steady_clock::time_point m_arrival; // of the message being handled, if read
    TrafficHistory m_history;
    TrafficFilter m_filter;
    std::string m_hex; // reused for every frame
    std::uint64_t m_received = 0;
    DeviceIdentity m_device; // of the port opened last
    bool m_waitingForPort = false;
    bool m_lossTold = false; // since the user last opened the port
    std::uint32_t m_openResult = 0;
    MeterTable m_meters;
    std::function<void()> m_metersChanged;
    bool m_lastSaveSucceeded = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace tovan
