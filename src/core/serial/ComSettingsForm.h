#pragma once

#include "core/serial/PortSettings.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovan {

// The values the COM settings dialog edits, filled from a console's PortSettings and written
// back to it when the user presses OK.
struct ComSettingsForm {
    enum Handshake { RTS_CTS = 0, NO_HANDSHAKE = 1 };

    std::string portText;
    std::string baudText;
    int handshakeIndex = NO_HANDSHAKE; // 0 "RTS/CTS", 1 "None"
    int parityIndex = 0;               // 0 "None", 1 "Odd", 2 "Even"
    int stopBitsIndex = 0;             // 0 "One Stopbit", 1 "Two Stopbits"
    // The pause that ends a frame on a port across the network (ignored for local ports).
    std::uint32_t pauseMs = RemoteOptions::DEFAULT_PAUSE_MS;

    // Mark and space parity show as "None"; one and a half stop bits as one stop bit.
    static ComSettingsForm fromSettings(const PortSettings& settings);

    // What pressing OK shows in the console's status bar: the texts exactly as entered.
    struct StatusTexts {
        std::string port; // pane 3
        std::string baud; // pane 4
    };
    // Writes the form into the record: the port name unchecked, the baud rate read from the
    // leading digits of the baud text, the handshake row, parity and stop bits, and the pause
    // of a remote port (kept within 20 .. 500 ms).
    StatusTexts applyTo(PortSettings& settings) const;
};

// The baud rates the dialog lists, in this order; any other number can be typed.
inline constexpr std::array<const char*, 4> BAUD_LIST = {"9600", "14400", "38400", "115200"};
// After them the other speeds a Linux serial driver knows, up to 4,000,000 baud.
inline constexpr std::array<const char*, 19> MORE_BAUD_RATES = {
    "300",     "1200",    "2400",    "4800",    "19200",   "57600",   "230400",
    "460800",  "500000",  "576000",  "921600",  "1000000", "1152000", "1500000",
    "2000000", "2500000", "3000000", "3500000", "4000000"};

// The baud text read as a decimal number the way the C runtime's atol reads it: leading white
// space skipped, an optional sign, digits up to the first other character, 0 without digits.
// A run of digits too long for 32 bits stays at the largest value of that sign instead of
// wrapping; a negative value is kept as its 32-bit pattern.
std::uint32_t parseBaudText(std::string_view text);

// Index of the first baud list entry that begins with `text` (ignoring case), or -1: which
// entry the baud field selects when the dialog opens.
int findBaudEntry(std::string_view text);

} // namespace tovan
