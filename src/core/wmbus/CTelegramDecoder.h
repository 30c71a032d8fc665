#pragma once

#include "core/wmbus/ManufacturerTable.h"
#include "core/frames/CHexCodec.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace tovan {

// What a telegram says about the meter that sent it and how well it was heard.
struct TelegramFields {
    std::string manufacturer;     // three letters from the M-field
    std::string manufacturerName; // from the manufacturer table; empty when not listed
    std::string identification;   // eight BCD digits, most significant first
    std::string version;          // the version byte, two hex digits
    std::string deviceType;       // the device type byte, two hex digits
    std::string deviceText;       // "Gas meter", ...; empty when the console names none
    int rssiDbm = 0;
};

// Turns the hex text of a frame that a second-family module received over the air into the
// few lines the console shows under it: manufacturer, identification number, device type and
// signal strength.
//
// Decoding runs on the console's own thread; the decoder is not meant to be shared between
// threads.
class CTelegramDecoder {
public:
    CTelegramDecoder() = default;
    explicit CTelegramDecoder(ManufacturerTable table);
    virtual ~CTelegramDecoder() = default;
    CTelegramDecoder(const CTelegramDecoder&) = delete;
    CTelegramDecoder& operator=(const CTelegramDecoder&) = delete;

    // False for a command frame of the module (text beginning with "FF") and for texts of
    // fewer than 30 characters.
    bool IsTelegram(std::string_view text) const;

    // The decoded block, every line ending in CR LF and the first line empty. Expects hex text
    // as BytesToHex writes it; a text too short to hold the fields gives an empty string.
    std::string Decode(std::string_view text) const;

    // The same fields one by one. False for a text too short to hold them.
    bool DecodeFields(std::string_view text, TelegramFields& fields) const;


    // Characters a text needs before Decode can read every field but the last byte.
    static constexpr std::size_t MIN_DECODABLE = 29;

private:
    mutable ManufacturerTable m_table; // caches the file; lookups do not change what it says
    CHexCodec m_codec;
};

} // namespace tovan
