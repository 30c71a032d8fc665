#include "core/wmbus/CTelegramDecoder.h"

namespace tovan {

namespace {

// Device types of EN 13757-3 that the console names, indexed by the type value.
constexpr const char* DEVICE_TYPES[10] = {
    "", "", "", "Gas meter", "Heat meter", "", "", "Water meter", "Heat cost allocator", "",
};

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
    fields.deviceText = type < 10 ? DEVICE_TYPES[type] : "";

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
