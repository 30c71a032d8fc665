#include "core/console/TrafficText.h"

#include "core/wmbus/CTelegramDecoder.h"

#include <algorithm>

namespace tovan::traffic {
namespace {

// The first family writes bare line feeds, the second CR LF; the window drops the CRs.
std::string_view lineEnd(ModuleFamily family) {
    return family == ModuleFamily::VX31 ? "\n" : "\r\n";
}

// The frame's line: its hex text, and the characters beside it when asked for.
std::string frameLine(std::string_view hex, std::string_view characters) {
    std::string line(hex);
    if (!characters.empty())
        line.append("  ").append(characters);
    return line;
}

std::string plainEntry(ModuleFamily family, std::string_view time, std::string_view header,
                       std::string_view line) {
    const std::string_view end = lineEnd(family);
    std::string text;
    text.reserve(time.size() + line.size() + 16);
    text.append(end).append(time).append(header).append(end).append(" ").append(line);
    return text;
}

} // namespace

Entry transmitted(ModuleFamily family, std::string_view time, std::string_view hex,
                  std::string_view characters) {
    Entry entry;
    entry.parts.push_back(
        {plainEntry(family, time, "  TX:", frameLine(hex, characters)), TX_COLOUR});
    return entry;
}

Entry received(ModuleFamily family, std::string_view time, std::string_view hex,
               const CTelegramDecoder* parser, std::string_view characters,
               std::string_view records) {
    Entry entry;
    entry.logged = true;
    const std::string line = frameLine(hex, characters);
    if (family == ModuleFamily::VX31 || !parser || !parser->IsTelegram(hex)) {
        entry.parts.push_back({plainEntry(family, time, "  RX:", line), RX_COLOUR});
        entry.logText = entry.parts.front().text;
        return entry;
    }
    // Time line on top, then the decoded block with the records under it, then the telegram:
    // added bottom part first.
    const std::string decoded = parser->Decode(hex).append(records);
    const std::string timeLine = "\r\n" + std::string(time) + "  RX:";
    entry.parts.push_back({"\r\n" + line + "\r\n", RX_COLOUR});
    entry.parts.push_back({"\r\n" + decoded, DECODED_COLOUR});
    entry.parts.push_back({timeLine, RX_COLOUR});
    entry.logText = timeLine + "\r\n" + decoded + " " + "\r\n" + line + "\r\n";
    return entry;
}

std::string printableCharacters(const std::uint8_t* bytes, std::size_t count) {
    std::string characters(count, '.');
    for (std::size_t i = 0; i < count; ++i)
        if (bytes[i] >= 0x20 && bytes[i] < 0x7F)
            characters[i] = static_cast<char>(bytes[i]);
    return characters;
}

std::string readsAs(const Entry& entry) {
    std::string text;
    for (auto part = entry.parts.rbegin(); part != entry.parts.rend(); ++part)
        text += part->text;
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    if (!text.empty() && text.front() == '\n')
        text.erase(0, 1);
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

std::string TimeOfDay::format(std::time_t time) {
    std::tm local{};
    ::localtime_r(&time, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

const std::string& TimeOfDay::now() {
    const std::time_t second = std::time(nullptr);
    if (second != m_second) {
        m_second = second;
        m_text = format(second);
    }
    return m_text;
}

} // namespace tovan::traffic
