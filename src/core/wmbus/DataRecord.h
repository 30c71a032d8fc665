#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovan {

// The function field of a DIF: what kind of value the record holds.
enum class RecordFunction : std::uint8_t { Instantaneous, Maximum, Minimum, Error };

// "instantaneous", "maximum", "minimum" or "error".
inline const char* functionName(RecordFunction function) {
    constexpr const char* NAMES[4] = {"instantaneous", "maximum", "minimum", "error"};
    return NAMES[static_cast<int>(function) & 3];
}

// A record's value as the reader shows it, scaled to its unit and never guessed: a number
// ("28504.27", "-4.0"), or a text (a date "2008-05-31 23:50", flags "0000", a string, or the
// hex digits of a value that cannot be read as a number).
struct RecordValue {
    enum class Kind : std::uint8_t { None, Number, Text };
    Kind kind = Kind::None;
    std::string text;
};

// One data record of a telegram's application data (EN 13757-3).
struct DataRecord {
    std::size_t offset = 0; // where the record starts in the application data
    std::string dib;        // the DIF and its DIFEs, as sent (bytes, not text)
    std::string vib;        // the VIF, its VIFEs and a plain-text unit, as sent
    RecordFunction function = RecordFunction::Instantaneous;
    std::uint64_t storage = 0;
    std::uint32_t tariff = 0;
    std::uint32_t subunit = 0;
    const char* description = "";        // "Volume", "Flow temperature", ...
    std::string unit;                    // UTF-8 ("m3", "\xC2\xB0""C"); empty for none
    std::vector<const char*> qualifiers; // what the VIFEs add ("per hour", "data error")
    RecordValue value;
    bool timePoint = false; // a date of the storage it belongs to (VIF 6C or 6D alone)
};

// The records of a telegram, and where and why reading them stopped.
struct RecordList {
    std::vector<DataRecord> records;
    std::string stopReason; // empty when every byte was read
    std::size_t stopOffset = 0;
    std::string unread;                   // hex text of the bytes from where reading stopped
    std::string manufacturerData;         // hex text of the bytes after DIF 0F or 1F
    bool manufacturerDataFollows = false; // a DIF 0F or 1F was found
    bool moreRecordsFollow = false;       // DIF 1F: the meter has more in its next telegram
    // The record headers (DIBs and VIBs) one after the other, the layout a compact frame
    // refers to by its signature.
    std::vector<std::uint8_t> layout;
};

} // namespace tovan
