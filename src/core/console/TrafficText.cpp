#include "console/TrafficText.h"

#include "console/CTelegramDecoder.h"

#include <algorithm>

namespace tovan::traffic {
namespace {

// The first family writes bare line feeds, the second CR LF; the window drops the CRs.
std::string_view lineEnd(ModuleFamily family) {
    return family == ModuleFamily::VX31 ? "\n" : "\r\n";
}

std::string plainEntry(ModuleFamily family, std::string_view time, std::string_view header,
                       std::string_view hex) {
    const std::string_view end = lineEnd(family);
    std::string text;
    text.reserve(time.size() + hex.size() + 16);
    text.append(end).append(time).append(header).append(end).append(" ").append(hex);
    return text;
}

} // namespace

Entry transmitted(ModuleFamily family, std::string_view time, std::string_view hex) {
    Entry entry;
    entry.parts.push_back({plainEntry(family, time, "  TX:", hex), TX_COLOUR});
    return entry;
}

Entry received(ModuleFamily family, std::string_view time, std::string_view hex,
               const CTelegramDecoder* parser) {
    Entry entry;
    entry.logged = true;
    if (family == ModuleFamily::VX31 || !parser || !parser->IsTelegram(hex)) {
        entry.parts.push_back({plainEntry(family, time, "  RX:", hex), RX_COLOUR});
        entry.logText = entry.parts.front().text;
        return entry;
    }
    // Time line on top, then the decoded block, then the telegram: added bottom part first.
    const std::string decoded = parser->Decode(hex);
    const std::string timeLine = "\r\n" + std::string(time) + "  RX:";
    entry.parts.push_back({"\r\n" + std::string(hex) + "\r\n", RX_COLOUR});
    entry.parts.push_back({"\r\n" + decoded, DECODED_COLOUR});
    entry.parts.push_back({timeLine, RX_COLOUR});
    entry.logText = timeLine + "\r\n" + decoded + " " + "\r\n" + std::string(hex) + "\r\n";
    return entry;
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
