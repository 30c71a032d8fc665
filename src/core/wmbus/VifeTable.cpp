#include "core/wmbus/VifeTable.h"

#include "core/wmbus/VifTable.h"

namespace tovan {
namespace {

VifeMeaning words(const char* text) {
    VifeMeaning meaning;
    meaning.words = text;
    return meaning;
}

VifeMeaning dateOf(const char* text) {
    VifeMeaning meaning = words(text);
    meaning.makesDate = true;
    return meaning;
}

// Codes 0x00 to 0x1F: what a meter says went wrong with this record.
VifeMeaning recordError(std::uint8_t code) {
    static const char* const ERRORS[0x20] = {nullptr,
                                             "too many DIFEs",
                                             "storage number not implemented",
                                             "unit number not implemented",
                                             "tariff number not implemented",
                                             "function not implemented",
                                             "data class not implemented",
                                             "data size not implemented",
                                             "record error 08",
                                             "record error 09",
                                             "record error 0A",
                                             "too many VIFEs",
                                             "illegal VIF group",
                                             "illegal VIF exponent",
                                             "VIF/DIF mismatch",
                                             "unimplemented action",
                                             "record error 10",
                                             "record error 11",
                                             "record error 12",
                                             "record error 13",
                                             "record error 14",
                                             "no data available",
                                             "data overflow",
                                             "data underflow",
                                             "data error",
                                             "record error 19",
                                             "record error 1A",
                                             "record error 1B",
                                             "premature end of record",
                                             "record error 1D",
                                             "record error 1E",
                                             "record error 1F"};
    VifeMeaning meaning = words(ERRORS[code]);
    meaning.recordError = code != 0;
    return meaning;
}

VifeMeaning perUnit(std::uint8_t code) {
    static const char* const PER[0x20] = {"per second",
                                          "per minute",
                                          "per hour",
                                          "per day",
                                          "per week",
                                          "per month",
                                          "per year",
                                          "per revolution/measurement",
                                          "increment per input pulse on channel 0",
                                          "increment per input pulse on channel 1",
                                          "increment per output pulse on channel 0",
                                          "increment per output pulse on channel 1",
                                          "per litre",
                                          "per m3",
                                          "per kg",
                                          "per K",
                                          "per kWh",
                                          "per GJ",
                                          "per kW",
                                          "per K*l",
                                          "per V",
                                          "per A",
                                          "multiplied by s",
                                          "multiplied by s/V",
                                          "multiplied by s/A",
                                          "start date/time of",
                                          "uncorrected (at metering conditions)",
                                          "forward flow",
                                          "backward flow",
                                          "non-metric unit",
                                          "at base conditions",
                                          "OBIS declaration"};
    VifeMeaning meaning = words(PER[code - 0x20]);
    meaning.makesDate = code == 0x39;
    return meaning;
}

// 0x40 to 0x4F: limits, how often they were exceeded and when.
VifeMeaning limit(std::uint8_t code) {
    static const char* const LIMITS[0x10] = {"lower limit",
                                             "number of lower limit exceeds",
                                             "date of begin of first lower limit exceed",
                                             "date of end of first lower limit exceed",
                                             nullptr,
                                             nullptr,
                                             "date of begin of last lower limit exceed",
                                             "date of end of last lower limit exceed",
                                             "upper limit",
                                             "number of upper limit exceeds",
                                             "date of begin of first upper limit exceed",
                                             "date of end of first upper limit exceed",
                                             nullptr,
                                             nullptr,
                                             "date of begin of last upper limit exceed",
                                             "date of end of last upper limit exceed"};
    const unsigned low = code & 0x0F;
    if (!LIMITS[low])
        return words("reserved extension");
    return (low & 0x02) ? dateOf(LIMITS[low]) : words(LIMITS[low]);
}

// 0x50 to 0x67: durations, in the unit of the code's two low bits.
VifeMeaning duration(std::uint8_t code) {
    static const char* const DURATIONS[6] = {"duration of first lower limit exceed",
                                             "duration of last lower limit exceed",
                                             "duration of first upper limit exceed",
                                             "duration of last upper limit exceed",
                                             "duration (first)",
                                             "duration (last)"};
    VifeMeaning meaning = words(DURATIONS[(code - 0x50) >> 2]);
    meaning.unit = VifTable::durationUnit(code & 0x03);
    return meaning;
}

VifeMeaning upper(std::uint8_t code) {
    switch (code) {
    case 0x68:
        return words("value during lower limit exceed");
    case 0x69:
        return words("leakage value");
    case 0x6A:
        return dateOf("date of begin of first");
    case 0x6B:
        return dateOf("date of end of first");
    case 0x6C:
        return words("value during upper limit exceed");
    case 0x6D:
        return words("overflow value");
    case 0x6E:
        return dateOf("date of begin of last");
    case 0x6F:
        return dateOf("date of end of last");
    case 0x7C: {
        VifeMeaning meaning;
        meaning.extendedNext = true;
        return meaning;
    }
    case 0x7D: {
        VifeMeaning meaning;
        meaning.exponent = 3;
        return meaning;
    }
    case 0x7E:
        return words("future value");
    default: {
        VifeMeaning meaning = words("manufacturer-specific");
        meaning.manufacturerRest = true;
        return meaning;
    }
    }
}

} // namespace

VifeMeaning VifeTable::combinable(std::uint8_t code) {
    code &= 0x7F;
    if (code < 0x20)
        return recordError(code);
    if (code < 0x40)
        return perUnit(code);
    if (code < 0x50)
        return limit(code);
    if (code < 0x68)
        return duration(code);
    if (code >= 0x70 && code <= 0x77) { // multiplicative correction factor 10^(nnn-6)
        VifeMeaning meaning;
        meaning.exponent = (code & 0x07) - 6;
        return meaning;
    }
    if (code >= 0x78 && code <= 0x7B) { // the value is an additive correction constant
        VifeMeaning meaning = words("additive correction");
        meaning.exponent = (code & 0x03) - 3;
        return meaning;
    }
    return upper(code);
}

} // namespace tovan
