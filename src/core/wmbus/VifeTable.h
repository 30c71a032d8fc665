#pragma once

#include <cstdint>

namespace tovan {

// What one combinable VIF extension (a VIFE after a VIF of any table) does to a record.
struct VifeMeaning {
    const char* words = nullptr;   // the qualifier a reader sees ("per hour"), null for none
    int exponent = 0;              // a correction factor's power of ten, applied to the value
    const char* unit = nullptr;    // replaces the record's unit (durations of limit exceeds)
    bool makesDate = false;        // the value is the date of something, not the quantity
    bool manufacturerRest = false; // the following VIFEs and the data are manufacturer-specific
    bool extendedNext = false;     // the next VIFE comes from the second combinable table
    bool recordError = false;      // the meter reports an error for this record
};

class VifeTable {
public:
    // The code without its extension bit.
    static VifeMeaning combinable(std::uint8_t code);
};

} // namespace tovan
