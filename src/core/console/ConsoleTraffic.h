#pragma once

#include "core/console/ConsoleHost.h"
#include "core/console/ConsoleLogging.h"
#include "core/console/ConsoleState.h"
#include "core/console/EntryTime.h"
#include "core/console/TrafficHistory.h"
#include "core/console/TrafficText.h"
#include "core/frames/CHexCodec.h"
#include "core/frames/ModuleFamily.h"
#include "core/wmbus/CTelegramDecoder.h"
#include "core/wmbus/MeterTable.h"
#include "core/wmbus/TelegramReader.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tovan {

// What a console shows of its traffic: the entries of both families as the traffic options
// ask for them, the filter over what it keeps, the log that follows the window, and the meters
// it counts. Every entry is timed by `arrival`, when its bytes were read (a default time point:
// now).
class ConsoleTraffic {
public:
    using Arrival = std::chrono::steady_clock::time_point;

    ConsoleTraffic(ModuleFamily family, const ConsoleState& state, ConsolePanes& panes,
                   ConsoleLogging& logging);

    void showBanner();
    void showReceivedBytes(const std::uint8_t* bytes, std::size_t length, Arrival arrival);
    void showTestTelegram(std::string_view text, Arrival arrival);
    void showTransmitted(const std::uint8_t* bytes, std::size_t length, Arrival arrival);
    // Shown, and logged like the frames around them, only while the user asked for them.
    void showDiscarded(const std::uint8_t* payload, std::size_t length, Arrival arrival);
    // The console's own words about its port and frames, in grey.
    void showNote(std::string_view text, Arrival arrival);

    // Shows only the entries that hold `text` (everything for an empty text). What the window
    // holds is kept whole meanwhile: clearing the filter shows it all again.
    void setFilter(std::string_view text);
    const TrafficFilter& filter() const { return m_filter; }

    // Clear view: the window, what it keeps and the meters heard.
    void clear();
    // Millisecond times count from the first entry of a newly opened port.
    void restartClock() { m_entryClock = traffic::EntryClock(); }

    // Frames and test telegrams shown as received since the console was created.
    std::uint64_t receivedCount() const { return m_received; }
    // The meters heard since the console opened or since Clear view (second family).
    const MeterTable& meters() const { return m_meters; }
    // The keys that decrypt the telegrams of meters that encrypt; the console's decoder keeps
    // them (and the compact-frame formats it has seen) for the session.
    void setMeterKeys(const MeterKeys& keys) { m_reader.setKeys(keys); }
    const TelegramReader& reader() const { return m_reader; }
    // Called whenever the meter table changed.
    void setMetersListener(std::function<void()> listener) {
        m_metersChanged = std::move(listener);
    }

private:
    void showEntry(traffic::Entry entry);
    void addToWindow(const traffic::Entry& entry);
    // hh:mm:ss, or to the millisecond with the time since the port's previous entry.
    std::string entryTime(Arrival arrival);
    std::string charactersOf(const std::uint8_t* bytes, std::size_t length) const;
    void showReceived(std::string_view hex, ByteView bytes, std::string_view characters,
                      Arrival arrival, bool heard);
    void countMeter(std::string_view hex, const TelegramReading& reading, Arrival arrival);

    ModuleFamily m_family;
    const ConsoleState& m_state;
    ConsolePanes& m_panes;
    ConsoleLogging& m_logging;
    CTelegramDecoder m_decoder;
    TelegramReader m_reader;
    std::vector<std::uint8_t> m_bytes; // a test telegram's bytes, reused
    CHexCodec m_codec;
    traffic::TimeOfDay m_clock;
    traffic::EntryClock m_entryClock;
    TrafficHistory m_history;
    TrafficFilter m_filter;
    std::string m_hex; // reused for every frame
    std::uint64_t m_received = 0;
    MeterTable m_meters;
    std::function<void()> m_metersChanged;
};

} // namespace tovan
