#include "core/serial/ComSettingsForm.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace tovan {

ComSettingsForm ComSettingsForm::fromSettings(const PortSettings& settings) {
    ComSettingsForm form;
    form.baudText = std::to_string(settings.dcb.BaudRate);
    form.portText = settings.portName;
    form.handshakeIndex = settings.dcb.usesRtsCts() ? RTS_CTS : NO_HANDSHAKE;
    form.parityIndex = settings.dcb.Parity < 3 ? settings.dcb.Parity : 0;
    form.stopBitsIndex = settings.dcb.StopBits == TWOSTOPBITS ? 1 : 0;
    form.pauseMs = settings.remote.pauseMs();
    return form;
}

ComSettingsForm::StatusTexts ComSettingsForm::applyTo(PortSettings& settings) const {
    settings.portName = portText;
    settings.dcb.BaudRate = parseBaudText(baudText);
    if (handshakeIndex == RTS_CTS)
        settings.dcb.setRtsCtsHandshake();
    else
        settings.dcb.setNoHandshake();
    // A radio group always has one button checked; anything else falls back to no parity.
    const bool knownParity = parityIndex >= NOPARITY && parityIndex <= EVENPARITY;
    settings.dcb.Parity = static_cast<std::uint8_t>(knownParity ? parityIndex : NOPARITY);
    settings.dcb.StopBits = stopBitsIndex != 0 ? TWOSTOPBITS : ONESTOPBIT;
    settings.remote.framePauseMs =
        std::clamp(pauseMs, RemoteOptions::DEFAULT_PAUSE_MS, RemoteOptions::MAX_PAUSE_MS);
    return {portText, baudText};
}

std::uint32_t parseBaudText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The runtime's long is 32 bits wide where the settings come from.
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT32_MIN) : INT32_MAX;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit)
            value = limit;
    }
    const std::int32_t result = static_cast<std::int32_t>(negative ? -value : value);
    return static_cast<std::uint32_t>(result);
}

int findBaudEntry(std::string_view text) {
    for (std::size_t entry = 0; entry < BAUD_LIST.size(); ++entry) {
        const std::string_view candidate = BAUD_LIST[entry];
        if (candidate.size() < text.size())
            continue;
        bool matches = true;
        for (std::size_t i = 0; i < text.size() && matches; ++i)
            matches = std::tolower(static_cast<unsigned char>(candidate[i])) ==
                      std::tolower(static_cast<unsigned char>(text[i]));
        if (matches)
            return static_cast<int>(entry);
    }
    return -1;
}

} // namespace tovan
