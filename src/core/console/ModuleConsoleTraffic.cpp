// How a console shows what it sends and receives: the entries of both families, the traffic
// options, the filter over what it keeps, and the meters it counts.
#include "console/DiscardedEntry.h"
#include "console/ModuleConsole.h"
#include "serial/SerialChannel.h"

namespace tovan {

void ModuleConsole::addToWindow(const traffic::Entry& entry) {
    for (const traffic::Part& part : entry.parts)
        m_host.panes.addLine(part.text, part.colour);
}

// The log takes every received entry, whatever the filter shows.
void ModuleConsole::showEntry(traffic::Entry entry) {
    if (m_filter.matches(entry))
        addToWindow(entry);
    if (entry.logged)
        m_logging.writeLog(entry.logText);
    m_history.add(std::move(entry));
}

void ModuleConsole::setFilter(std::string_view text) {
    if (text == m_filter.text())
        return;
    m_filter = TrafficFilter(text);
    m_host.panes.clearOutput();
    for (const traffic::Entry& entry : m_history.entries())
        if (m_filter.matches(entry))
            addToWindow(entry);
}

void ModuleConsole::deliverArrived(std::uint32_t code, const std::uint8_t* bytes,
                                   std::size_t length,
                                   std::chrono::steady_clock::time_point arrival) {
    m_arrival = arrival;
    deliver(code, bytes, length);
    m_arrival = {};
}

std::string ModuleConsole::entryTime() {
    return m_state.milliseconds ? m_entryClock.arrivedAt(m_arrival) : m_clock.now();
}

std::string ModuleConsole::charactersOf(const std::uint8_t* bytes, std::size_t length) const {
    return m_state.sideBySide ? traffic::printableCharacters(bytes, length) : std::string();
}

// Every telegram counts for the meter overview, whether or not parsing is on.
void ModuleConsole::countMeter(std::string_view hex) {
    TelegramFields fields;
    if (m_family != ModuleFamily::VM77 || !m_decoder.IsTelegram(hex) ||
        !m_decoder.DecodeFields(hex, fields))
        return;
    m_meters.add(fields, traffic::wallTimeOf(m_arrival));
    if (m_metersChanged)
        m_metersChanged();
}

void ModuleConsole::showReceived(std::string_view hex, std::string_view characters) {
    ++m_received;
    countMeter(hex);
    const CTelegramDecoder* parser = m_state.parseRx ? &m_decoder : nullptr;
    showEntry(traffic::received(m_family, entryTime(), hex, parser, characters));
}

void ModuleConsole::showReceivedBytes(const std::uint8_t* bytes, std::size_t length) {
    m_hex.clear();
    m_codec.BytesToHex(bytes, length, m_hex);
    showReceived(m_hex, charactersOf(bytes, length));
}

void ModuleConsole::showTestTelegram(std::string_view text) {
    if (!m_state.sideBySide) {
        showReceived(text, {});
        return;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(CHexCodec::HexByteCount(text)));
    const int count = m_codec.HexToBytes(text, bytes.data(), bytes.size());
    showReceived(text, charactersOf(bytes.data(), static_cast<std::size_t>(count)));
}

void ModuleConsole::showTransmitted(const std::uint8_t* bytes, std::size_t length) {
    m_hex.clear();
    m_codec.BytesToHex(bytes, length, m_hex);
    showEntry(traffic::transmitted(m_family, entryTime(), m_hex, charactersOf(bytes, length)));
}

// Shown, and logged like the frames around them, only while the user asked for them.
void ModuleConsole::showDiscarded(const std::uint8_t* payload, std::size_t length) {
    if (!m_state.showDiscarded || !payload)
        return;
    traffic::Entry entry = traffic::discarded(entryTime(), payload, length);
    entry.logged = true;
    entry.logText = entry.parts.front().text;
    showEntry(std::move(entry));
}

void ModuleConsole::toggleShowDiscarded() {
    m_state.showDiscarded = !m_state.showDiscarded;
    if (portOpen())
        m_channel.SetReportDiscards(m_state.slot, m_state.showDiscarded);
}

} // namespace tovan
