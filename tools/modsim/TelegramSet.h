#pragma once

#include "tools/modsim/ReplyRules.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovan::modsim {

// Wireless M-Bus telegrams as a second-family module passes them on: length byte first,
// signal-strength byte last. Meters of several manufacturers and device types, with the data
// records such a meter sends; one of them encrypts.
struct Telegram {
    std::string description;
    Bytes bytes;
};

const std::vector<Telegram>& telegramSet();

// The simulated meter that encrypts (security mode 5), and its key as 32 hex digits.
constexpr const char* ENCRYPTED_METER = "71234567";
constexpr const char* ENCRYPTED_METER_KEY = "4B414D2D53494D2D4B45592D30303031";

// What a simulated meter sends besides its address.
struct MeterData {
    std::uint8_t access = 0;
    std::uint8_t status = 0;
    Bytes records;             // the application data, plain
    const char* key = nullptr; // 32 hex digits: encrypted with security mode 5
};

// Builds a telegram of a meter: manufacturer letters, identification as its eight BCD digits,
// version, device type, a short transport header with the data, and the signal-strength
// byte.
Telegram makeTelegram(const std::string& manufacturer, const std::string& identification,
                      std::uint8_t version, std::uint8_t deviceType, const MeterData& data,
                      std::uint8_t signal);

} // namespace tovan::modsim
