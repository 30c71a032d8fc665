#include "core/console/ConsoleTraffic.h"

#include "core/console/DiscardedEntry.h"
#include "core/console/NoteEntry.h"
#include "core/wmbus/RecordText.h"

#include <vector>

namespace tovan {

ConsoleTraffic::ConsoleTraffic(ModuleFamily family, const ConsoleState& state, ConsolePanes& panes,
                               ConsoleLogging& logging)
    : m_family(family), m_state(state), m_panes(panes), m_logging(logging) {}

void ConsoleTraffic::showBanner() {
    traffic::Entry banner;
    banner.parts.push_back({std::string(traffic::BANNER), traffic::BANNER_COLOUR});
    showEntry(std::move(banner));
}

void ConsoleTraffic::addToWindow(const traffic::Entry& entry) {
    for (const traffic::Part& part : entry.parts)
        m_panes.addLine(part.text, part.colour);
}

// The log takes every received entry, whatever the filter shows.
void ConsoleTraffic::showEntry(traffic::Entry entry) {
    if (m_filter.matches(entry))
        addToWindow(entry);
    if (entry.logged)
        m_logging.writeLog(entry.logText);
    m_history.add(std::move(entry));
}

void ConsoleTraffic::setFilter(std::string_view text) {
    if (text == m_filter.text())
        return;
    m_filter = TrafficFilter(text);
    m_panes.clearOutput();
    for (const traffic::Entry& entry : m_history.entries())
        if (m_filter.matches(entry))
            addToWindow(entry);
}

void ConsoleTraffic::clear() {
    m_panes.clearOutput();
    m_history.clear();
    m_meters.clear();
    if (m_metersChanged)
        m_metersChanged();
}

std::string ConsoleTraffic::entryTime(Arrival arrival) {
    return m_state.milliseconds ? m_entryClock.arrivedAt(arrival) : m_clock.now();
}

std::string ConsoleTraffic::charactersOf(const std::uint8_t* bytes, std::size_t length) const {
    return m_state.sideBySide ? traffic::printableCharacters(bytes, length) : std::string();
}

// Every telegram counts for the meter overview, whether or not parsing is on; its records give
// the meter's reading and history.
void ConsoleTraffic::countMeter(std::string_view hex, const TelegramReading& reading,
                                Arrival arrival) {
    TelegramFields fields;
    if (!m_decoder.DecodeFields(hex, fields))
        return;
    m_meters.add(fields, traffic::wallTimeOf(arrival), &reading.records);
    if (m_metersChanged)
        m_metersChanged();
}

// With "Parse RX data" on, a telegram's records go under its decoded header.
// The test sequence's samples are no meters heard (`heard` false); their entries read as
// received ones.
void ConsoleTraffic::showReceived(std::string_view hex, ByteView bytes, std::string_view characters,
                                  Arrival arrival, bool heard) {
    ++m_received;
    std::string records;
    const CTelegramDecoder* parser = m_state.parseRx ? &m_decoder : nullptr;
    if (m_family == ModuleFamily::VM77 && m_decoder.IsTelegram(hex)) {
        const TelegramReading reading = m_reader.read(bytes);
        if (heard)
            countMeter(hex, reading, arrival);
        if (parser)
            records = RecordText::consoleBlock(reading);
    }
    showEntry(traffic::received(m_family, entryTime(arrival), hex, parser, characters, records));
}

void ConsoleTraffic::showReceivedBytes(const std::uint8_t* bytes, std::size_t length,
                                       Arrival arrival) {
    m_hex.clear();
    m_codec.BytesToHex(bytes, length, m_hex);
    showReceived(m_hex, ByteView(bytes, length), charactersOf(bytes, length), arrival, true);
}

void ConsoleTraffic::showTestTelegram(std::string_view text, Arrival arrival) {
    m_bytes.resize(static_cast<std::size_t>(CHexCodec::HexByteCount(text)));
    const int count = m_codec.HexToBytes(text, m_bytes.data(), m_bytes.size());
    const ByteView bytes(m_bytes.data(), static_cast<std::size_t>(count));
    showReceived(text, bytes, charactersOf(bytes.data, bytes.size), arrival, false);
}

void ConsoleTraffic::showTransmitted(const std::uint8_t* bytes, std::size_t length,
                                     Arrival arrival) {
    m_hex.clear();
    m_codec.BytesToHex(bytes, length, m_hex);
    showEntry(
        traffic::transmitted(m_family, entryTime(arrival), m_hex, charactersOf(bytes, length)));
}

void ConsoleTraffic::showDiscarded(const std::uint8_t* payload, std::size_t length,
                                   Arrival arrival) {
    if (!m_state.showDiscarded || !payload)
        return;
    traffic::Entry entry = traffic::discarded(entryTime(arrival), payload, length);
    entry.logged = true;
    entry.logText = entry.parts.front().text;
    showEntry(std::move(entry));
}

void ConsoleTraffic::showNote(std::string_view text, Arrival arrival) {
    showEntry(traffic::note(entryTime(arrival), text));
}

} // namespace tovan
