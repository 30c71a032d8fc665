#include "core/wmbus/CTelegramDecoder.h"

namespace tovan {

namespace {

// The device types EN 13757-3 and the OMS assign, indexed by the type value; empty where a code
// is reserved. Plain ASCII: the texts go to the traffic window, logs, CSV and JSON alike.
constexpr const char* DEVICE_TYPES[] = {
    "Other",                         // 00
    "Oil meter",                     // 01
    "Electricity meter",             // 02
    "Gas meter",                     // 03
    "Heat meter",                    // 04, volume measured at the outlet
    "Steam meter",                   // 05
    "Warm water meter",              // 06, 30 to 90 degrees Celsius
    "Water meter",                   // 07
    "Heat cost allocator",           // 08
    "Compressed air meter",          // 09
    "Cooling meter (outlet)",        // 0A
    "Cooling meter (inlet)",         // 0B
    "Heat meter (inlet)",            // 0C
    "Heat and cooling meter",        // 0D
    "Bus or system component",       // 0E
    "Unknown medium",                // 0F
    "Irrigation water meter",        // 10
    "Water data logger",             // 11
    "Gas data logger",               // 12
    "Gas converter",                 // 13
    "Calorific value",               // 14
    "Hot water meter",               // 15, 90 degrees Celsius and above
    "Cold water meter",              // 16
    "Hot and cold water meter",      // 17, two registers
    "Pressure meter",                // 18
    "A/D converter",                 // 19
    "Smoke detector",                // 1A
    "Room sensor",                   // 1B
    "Gas detector",                  // 1C
    "Carbon monoxide alarm",         // 1D
    "Heat alarm",                    // 1E
    "Sensor",                        // 1F
    "Breaker (electricity)",         // 20
    "Valve (gas or water)",          // 21
    "",                              // 22 to 24: reserved for switching devices
    "",                              //
    "",                              //
    "Customer unit (display)",       // 25
    "",                              // 26, 27: reserved for customer units
    "",                              //
    "Waste water meter",             // 28
    "Garbage meter",                 // 29
    "",                              // 2A to 2F: reserved for environmental meters
    "",                              //
    "",                              //
    "",                              //
    "",                              //
    "",                              //
    "Service tool",                  // 30
    "Communication controller",      // 31, a gateway
    "Unidirectional repeater",       // 32
    "Bidirectional repeater",        // 33
    "",                              // 34, 35: reserved for system devices
    "",                              //
    "Radio converter (system side)", // 36
    "Radio converter (meter side)",  // 37
    "Wired adapter",                 // 38; 39 to FF are reserved
};
constexpr std::size_t DEVICE_TYPE_COUNT = sizeof DEVICE_TYPES / sizeof DEVICE_TYPES[0];
static_assert(DEVICE_TYPE_COUNT == 0x39, "one slot a code from 00 to 38");

} // namespace

CTelegramDecoder::CTelegramDecoder(ManufacturerTable table) : m_table(std::move(table)) {}

bool CTelegramDecoder::IsTelegram(std::string_view text) const {
    if (text.size() >= 2 && text[0] == 'F' && text[1] == 'F')
        return false;
    return text.size() >= 30;
}

bool CTelegramDecoder::DecodeFields(std::string_view text, TelegramFields& fields) const {
    if (text.size() < MIN_DECODABLE)
        return false;

    // M-field, high byte first: five bits per letter, 1 = 'A'; the top bit is not used.
    const char mField[] = {text[9], text[10], text[6], text[7]};
    std::uint8_t m[2] = {0, 0};
    m_codec.HexToBytes(std::string_view(mField, 4), m, 2);
    fields.manufacturer = {
        static_cast<char>(((m[0] >> 2) & 0x1F) + 0x40),
        static_cast<char>(((m[0] & 0x03) << 3) + ((m[1] >> 5) & 0x07) + 0x40),
        static_cast<char>((m[1] & 0x1F) + 0x40),
    };
    fields.manufacturerName = std::string(m_table.nameOf(fields.manufacturer));

    // The identification number is BCD, least significant byte first on the air.
    fields.identification.clear();
    for (std::size_t position : {21, 22, 18, 19, 15, 16, 12, 13})
        fields.identification += text[position];
    fields.version = std::string(text.substr(24, 2));
    fields.deviceType = std::string(text.substr(27, 2));
    std::uint8_t type = 0;
    m_codec.HexToBytes(fields.deviceType, &type, 1);
    fields.deviceText = type < DEVICE_TYPE_COUNT ? DEVICE_TYPES[type] : "";

    // The module appends the signal strength as one byte; integer division truncates toward
    // zero, so 0x81 gives -137 and 0xFF gives -74.
    std::uint8_t strength = 0;
    m_codec.HexToBytes(text.substr(text.size() - 2), &strength, 1);
    const int value = strength;
    fields.rssiDbm = (value >= 128 ? (value - 256) / 2 : value / 2) - 74;
    return true;
}

std::string CTelegramDecoder::Decode(std::string_view text) const {
    TelegramFields fields;
    if (!DecodeFields(text, fields))
        return {};
    std::string out;
    out.reserve(128);
    out += "\r\n" + fields.manufacturer + "  " + fields.manufacturerName + "\r\n";
    out += "Identification:  " + fields.identification + "\r\n";
    out += "Device type:  " + fields.deviceType;
    if (!fields.deviceText.empty())
        out += "  " + fields.deviceText;
    out += "\r\n";
    out += "RSSI: " + std::to_string(fields.rssiDbm) + " dBm\r\n";
    return out;
}

} // namespace tovan
