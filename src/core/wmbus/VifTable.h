#pragma once

#include <cstdint>

namespace tovan {

// How a record's value reads, as its value information says.
enum class ValueMeaning : std::uint8_t {
    Quantity, // a measured amount: the count times ten to the exponent, in the unit
    Date,     // a time point: date types G, F, I and J, told apart by the data length
    Flags,    // bits or codes (error flags, digital inputs): shown as hex digits
    Label,    // a number or text that names something (fabrication number, version)
    Unknown,  // a reserved or manufacturer-specific code: the value is kept as it came
};

// What one VIF code (from the primary table or the 0xFB or 0xFD extension table) stands for.
struct VifMeaning {
    const char* description = "Unknown VIF";
    const char* unit = ""; // UTF-8, as a reader writes it: "m3", "kWh", "\xC2\xB0""C"
    int exponent = 0;      // one count is 10^exponent of the unit
    ValueMeaning meaning = ValueMeaning::Unknown;
};

// The three tables of EN 13757-3, looked up by the code without its extension bit.
class VifTable {
public:
    static VifMeaning primary(std::uint8_t code);
    static VifMeaning extensionFB(std::uint8_t code);
    static VifMeaning extensionFD(std::uint8_t code);
    // "s", "min", "h" or "d" for the two low bits of a duration code.
    static const char* durationUnit(unsigned nn);
};

} // namespace tovan
