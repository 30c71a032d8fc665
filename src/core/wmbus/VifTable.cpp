#include "core/wmbus/VifTable.h"

namespace tovan {
namespace {

constexpr ValueMeaning QUANTITY = ValueMeaning::Quantity;
constexpr ValueMeaning DATE = ValueMeaning::Date;
constexpr ValueMeaning FLAGS = ValueMeaning::Flags;
constexpr ValueMeaning LABEL = ValueMeaning::Label;
constexpr const char* CELSIUS = "\xC2\xB0"
                                "C";
constexpr const char* FAHRENHEIT = "\xC2\xB0"
                                   "F";

VifMeaning quantity(const char* description, const char* unit, int exponent) {
    return {description, unit, exponent, QUANTITY};
}

VifMeaning reserved() {
    return {"Reserved VIF", "", 0, ValueMeaning::Unknown};
}

// Durations in hours, days, months or years (the battery's and the cumulation's).
const char* longDurationUnit(unsigned pp) {
    constexpr const char* UNITS[4] = {"h", "d", "months", "years"};
    return UNITS[pp & 3];
}

VifMeaning extensionFDHigh(std::uint8_t code) {
    const unsigned n2 = code & 0x03;
    const int n4 = code & 0x0F;
    if (code >= 0x24 && code <= 0x27)
        return quantity("Storage interval", VifTable::durationUnit(n2), 0);
    if (code >= 0x2C && code <= 0x2F)
        return quantity("Duration since last readout", VifTable::durationUnit(n2), 0);
    if (code >= 0x31 && code <= 0x33)
        return quantity("Duration of tariff", VifTable::durationUnit(n2), 0);
    if (code >= 0x34 && code <= 0x37)
        return quantity("Period of tariff", VifTable::durationUnit(n2), 0);
    if (code >= 0x40 && code <= 0x4F)
        return quantity("Voltage", "V", n4 - 9);
    if (code >= 0x50 && code <= 0x5F)
        return quantity("Current", "A", n4 - 12);
    if (code >= 0x68 && code <= 0x6B)
        return quantity("Duration since last cumulation", longDurationUnit(n2), 0);
    if (code >= 0x6C && code <= 0x6F)
        return quantity("Operating time battery", longDurationUnit(n2), 0);
    switch (code) {
    case 0x28:
        return quantity("Storage interval", "months", 0);
    case 0x29:
        return quantity("Storage interval", "years", 0);
    case 0x2A:
        return {"Operator-specific data", "", 0, LABEL};
    case 0x2B:
        return quantity("Time point second", "s", 0);
    case 0x30:
        return {"Start of tariff", "", 0, DATE};
    case 0x38:
        return quantity("Period of tariff", "months", 0);
    case 0x39:
        return quantity("Period of tariff", "years", 0);
    case 0x3A:
        return quantity("Dimensionless value", "", 0);
    case 0x60:
        return quantity("Reset counter", "", 0);
    case 0x61:
        return quantity("Cumulation counter", "", 0);
    case 0x62:
        return {"Control signal", "", 0, FLAGS};
    case 0x63:
        return {"Day of week", "", 0, LABEL};
    case 0x64:
        return {"Week number", "", 0, LABEL};
    case 0x65:
        return {"Time point of day change", "", 0, LABEL};
    case 0x66:
        return {"State of parameter activation", "", 0, FLAGS};
    case 0x67:
        return {"Special supplier information", "", 0, LABEL};
    case 0x70:
        return {"Date and time of battery change", "", 0, DATE};
    case 0x71:
        return quantity("RF level", "dBm", 0);
    case 0x72:
        return {"Daylight saving", "", 0, LABEL};
    case 0x73:
        return {"Listening window management", "", 0, LABEL};
    case 0x74:
        return quantity("Remaining battery life time", "d", 0);
    case 0x75:
        return quantity("Number of times the meter was stopped", "", 0);
    case 0x76:
        return {"Data container for a manufacturer-specific protocol", "", 0,
                ValueMeaning::Unknown};
    default:
        return reserved();
    }
}

VifMeaning primaryLow(std::uint8_t code) {
    const int n3 = code & 0x07;
    const unsigned n2 = code & 0x03;
    if (code <= 0x07)
        return quantity("Energy", "Wh", n3 - 3);
    if (code <= 0x0F)
        return quantity("Energy", "J", n3);
    if (code <= 0x17)
        return quantity("Volume", "m3", n3 - 6);
    if (code <= 0x1F)
        return quantity("Mass", "kg", n3 - 3);
    if (code <= 0x23)
        return quantity("On time", VifTable::durationUnit(n2), 0);
    if (code <= 0x27)
        return quantity("Operating time", VifTable::durationUnit(n2), 0);
    if (code <= 0x2F)
        return quantity("Power", "W", n3 - 3);
    if (code <= 0x37)
        return quantity("Power", "J/h", n3);
    if (code <= 0x3F)
        return quantity("Volume flow", "m3/h", n3 - 6);
    if (code <= 0x47)
        return quantity("Volume flow", "m3/min", n3 - 7);
    if (code <= 0x4F)
        return quantity("Volume flow", "m3/s", n3 - 9);
    if (code <= 0x57)
        return quantity("Mass flow", "kg/h", n3 - 3);
    return reserved();
}

} // namespace

const char* VifTable::durationUnit(unsigned nn) {
    constexpr const char* UNITS[4] = {"s", "min", "h", "d"};
    return UNITS[nn & 3];
}

VifMeaning VifTable::primary(std::uint8_t code) {
    code &= 0x7F;
    const int n2 = code & 0x03;
    if (code <= 0x57)
        return primaryLow(code);
    if (code <= 0x5B)
        return quantity("Flow temperature", CELSIUS, n2 - 3);
    if (code <= 0x5F)
        return quantity("Return temperature", CELSIUS, n2 - 3);
    if (code <= 0x63)
        return quantity("Temperature difference", "K", n2 - 3);
    if (code <= 0x67)
        return quantity("External temperature", CELSIUS, n2 - 3);
    if (code <= 0x6B)
        return quantity("Pressure", "bar", n2 - 3);
    switch (code) {
    case 0x6C:
        return {"Date", "", 0, DATE};
    case 0x6D:
        return {"Date and time", "", 0, DATE};
    case 0x6E:
        return quantity("Heat cost allocation", "HCA", 0);
    case 0x78:
        return {"Fabrication number", "", 0, LABEL};
    case 0x79:
        return {"Enhanced identification", "", 0, LABEL};
    case 0x7A:
        return {"Bus address", "", 0, LABEL};
    case 0x7E:
        return {"Any VIF", "", 0, ValueMeaning::Unknown};
    case 0x7F:
        return {"Manufacturer-specific VIF", "", 0, ValueMeaning::Unknown};
    default:
        break;
    }
    if (code >= 0x70 && code <= 0x73)
        return quantity("Averaging duration", durationUnit(n2), 0);
    if (code >= 0x74 && code <= 0x77)
        return quantity("Actuality duration", durationUnit(n2), 0);
    return reserved(); // 0x6F, and 0x7B to 0x7D without a following table code
}

VifMeaning VifTable::extensionFB(std::uint8_t code) {
    code &= 0x7F;
    const int n1 = code & 0x01;
    const int n2 = code & 0x03;
    switch (code & 0x7E) {
    case 0x00:
        return quantity("Energy", "Wh", n1 + 5); // 10^(n-1) MWh
    case 0x02:
        return quantity("Reactive energy", "kVARh", n1);
    case 0x08:
        return quantity("Energy", "J", n1 + 8); // 10^(n-1) GJ
    case 0x10:
        return quantity("Volume", "m3", n1 + 2);
    case 0x18:
        return quantity("Mass", "kg", n1 + 5); // 10^(n+2) t
    case 0x1A:
        return quantity("Relative humidity", "%RH", n1 - 1);
    case 0x20:
        return code == 0x20 ? quantity("Volume", "ft3", 0) : quantity("Volume", "ft3", -1);
    case 0x28:
        return quantity("Power", "W", n1 + 5); // 10^(n-1) MW
    case 0x2A:
        return quantity(n1 ? "Phase U-I" : "Phase U-U", "\xC2\xB0", -1);
    case 0x30:
        return quantity("Power", "J/h", n1 + 8); // 10^(n-1) GJ/h
    default:
        break;
    }
    switch (code & 0x7C) {
    case 0x0C:
        return quantity("Energy", "MCal", n2 - 1);
    case 0x14:
        return quantity("Reactive power", "kVAR", n2 - 3);
    case 0x2C:
        return quantity("Frequency", "Hz", n2 - 3);
    case 0x34:
        return quantity("Apparent power", "kVA", n2 - 3);
    case 0x58:
        return quantity("Flow temperature", FAHRENHEIT, n2 - 3);
    case 0x5C:
        return quantity("Return temperature", FAHRENHEIT, n2 - 3);
    case 0x60:
        return quantity("Temperature difference", FAHRENHEIT, n2 - 3);
    case 0x64:
        return quantity("External temperature", FAHRENHEIT, n2 - 3);
    case 0x70:
        return quantity("Cold/warm temperature limit", FAHRENHEIT, n2 - 3);
    case 0x74:
        return quantity("Cold/warm temperature limit", CELSIUS, n2 - 3);
    default:
        break;
    }
    if (code >= 0x78)
        return quantity("Cumulative count of maximum power", "W", (code & 0x07) - 3);
    return reserved();
}

VifMeaning VifTable::extensionFD(std::uint8_t code) {
    code &= 0x7F;
    const int n2 = code & 0x03;
    static const char* const NAMES[0x24] = {"Credit",
                                            "Credit",
                                            "Credit",
                                            "Credit",
                                            "Debit",
                                            "Debit",
                                            "Debit",
                                            "Debit",
                                            "Unique message identification",
                                            "Device type",
                                            "Manufacturer",
                                            "Parameter set identification",
                                            "Model/version",
                                            "Hardware version",
                                            "Metrology (firmware) version",
                                            "Other software version",
                                            "Customer location",
                                            "Customer",
                                            "Access code user",
                                            "Access code operator",
                                            "Access code system operator",
                                            "Access code developer",
                                            "Password",
                                            "Error flags",
                                            "Error mask",
                                            "Security key",
                                            "Digital output",
                                            "Digital input",
                                            "Baud rate",
                                            "Response delay time",
                                            "Retry",
                                            "Remote control",
                                            "First storage number for cyclic storage",
                                            "Last storage number for cyclic storage",
                                            "Size of storage block",
                                            "Descriptor for tariff and subunit"};
    if (code <= 0x07)
        return quantity(NAMES[code], "currency units", n2 - 3);
    if (code == 0x17 || code == 0x18 || code == 0x1A || code == 0x1B || code == 0x1F)
        return {NAMES[code], "", 0, FLAGS};
    if (code == 0x1C)
        return quantity(NAMES[code], "Bd", 0);
    if (code == 0x1D)
        return quantity(NAMES[code], "bit times", 0);
    if (code < 0x24)
        return {NAMES[code], "", 0, LABEL};
    return extensionFDHigh(code);
}

} // namespace tovan
