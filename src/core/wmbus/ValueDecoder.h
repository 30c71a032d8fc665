#pragma once

#include "core/wmbus/ByteView.h"
#include "core/wmbus/DataRecord.h"
#include "core/wmbus/VifTable.h"

#include <cstdint>
#include <string>

namespace tovan {

// Reads the data of one record as its DIF codes it and its VIF means it, and writes numbers
// as exact decimal text: no value is made up where the bytes do not hold one.
class ValueDecoder {
public:
    // The value of `data`, coded as the DIF's data field `coding` says (for variable length,
    // `data` starts with the LVAR byte), scaled by 10^exponent where it is a quantity. `note`
    // says why bytes were kept as hex digits instead of a number, else stays null.
    static RecordValue read(unsigned coding, ByteView data, ValueMeaning meaning, int exponent,
                            const char*& note);

    // Data bytes after the header for a DIF data field; -1 for variable length (see
    // `variableLength`).
    static int fixedLength(unsigned coding);
    // Data bytes after an LVAR byte; -1 for the reserved LVAR codes.
    static int variableLength(std::uint8_t lvar);

    // The text of (negative ? -1 : 1) * magnitude * 10^exponent, with as many decimals as the
    // exponent gives ("28504.27", "0.000", "-4.0", "1200").
    static std::string decimalText(bool negative, std::uint64_t magnitude, int exponent);

    // The unit a reader sees a quantity in: the largest of its family (l, m3; Wh, kWh, MWh;
    // ...) in which the value keeps at most three decimals. `exponent` is turned to match.
    static const char* displayUnit(const char* unit, int& exponent);
};

} // namespace tovan
