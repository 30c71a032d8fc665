#pragma once

#include "tools/modsim/ReplyRules.h"

#include <string>
#include <vector>

namespace tovan::modsim {

// Wireless M-Bus telegrams as a second-family module passes them on: length byte first,
// signal-strength byte last. Meters of several manufacturers and device types.
struct Telegram {
    std::string description;
    Bytes bytes;
};

const std::vector<Telegram>& telegramSet();

// Builds a telegram of a meter: manufacturer letters, identification as its eight BCD digits,
// version, device type, `payload` opaque bytes and the signal-strength byte.
Telegram makeTelegram(const std::string& manufacturer, const std::string& identification,
                      std::uint8_t version, std::uint8_t deviceType, std::size_t payload,
                      std::uint8_t signal);

} // namespace tovan::modsim
