#include "core/wmbus/ValueDecoder.h"

#include "core/wmbus/DateTypes.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace tovan {
namespace {

constexpr const char* NOT_BCD = "not a BCD number";
constexpr const char* NOT_A_DATE = "not a valid date";
constexpr const char* NOT_A_NUMBER = "not a number";

struct Rung {
    const char* unit;
    int exponent;
};
struct Ladder {
    const char* base;
    Rung rungs[4];
    int count;
};

constexpr Ladder LADDERS[] = {
    {"Wh", {{"Wh", 0}, {"kWh", 3}, {"MWh", 6}, {"GWh", 9}}, 4},
    {"J", {{"J", 0}, {"kJ", 3}, {"MJ", 6}, {"GJ", 9}}, 4},
    {"W", {{"W", 0}, {"kW", 3}, {"MW", 6}}, 3},
    {"J/h", {{"J/h", 0}, {"kJ/h", 3}, {"MJ/h", 6}, {"GJ/h", 9}}, 4},
    {"m3", {{"l", -3}, {"m3", 0}}, 2},
    {"m3/h", {{"l/h", -3}, {"m3/h", 0}}, 2},
    {"kg", {{"g", -3}, {"kg", 0}, {"t", 3}}, 3},
    {"kg/h", {{"kg/h", 0}, {"t/h", 3}}, 2},
};

std::string hexDigitsHighFirst(ByteView data) {
    static const char DIGITS[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = data.size; i-- > 0;) {
        text += DIGITS[data[i] >> 4];
        text += DIGITS[data[i] & 0x0F];
    }
    return text;
}

RecordValue number(std::string text) {
    return {RecordValue::Kind::Number, std::move(text)};
}
RecordValue text(std::string value) {
    return {RecordValue::Kind::Text, std::move(value)};
}

RecordValue integer(ByteView data, bool isSigned, int exponent) {
    std::uint64_t raw = data.little(0, data.size);
    const unsigned bits = static_cast<unsigned>(data.size * 8);
    bool negative = false;
    if (isSigned && bits > 0 && (raw >> (bits - 1) & 1)) {
        negative = true;
        raw = bits < 64 ? ((~raw + 1) & ((std::uint64_t{1} << bits) - 1)) : ~raw + 1;
    }
    return number(ValueDecoder::decimalText(negative, raw, exponent));
}

// BCD digits, least significant byte first; an F as the top digit is a minus sign.
RecordValue bcd(ByteView data, bool negative, ValueMeaning meaning, int exponent,
                const char*& note) {
    std::uint64_t magnitude = 0;
    std::string digits;
    for (std::size_t i = data.size; i-- > 0;) {
        for (unsigned nibble : {unsigned(data[i] >> 4), unsigned(data[i] & 0x0F)}) {
            if (nibble == 0x0F && i == data.size - 1 && digits.empty() && !negative) {
                negative = true;
                continue;
            }
            if (nibble > 9) {
                note = NOT_BCD;
                return text(hexDigitsHighFirst(data));
            }
            magnitude = magnitude * 10 + nibble;
            digits += static_cast<char>('0' + nibble);
        }
    }
    if (meaning == ValueMeaning::Label)
        return text((negative ? "-" : "") + digits);
    return number(ValueDecoder::decimalText(negative, magnitude, exponent));
}

RecordValue real(ByteView data, int exponent, const char*& note) {
    float value = 0;
    const std::uint32_t bits = static_cast<std::uint32_t>(data.little(0, 4));
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) {
        note = NOT_A_NUMBER;
        return text(hexDigitsHighFirst(data));
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.7g",
                  static_cast<double>(value) * std::pow(10.0, exponent));
    return number(buffer);
}

// A string is sent last character first; anything but printable ASCII stays hex.
RecordValue characters(ByteView data) {
    std::string value;
    for (std::size_t i = data.size; i-- > 0;) {
        if (data[i] < 0x20 || data[i] > 0x7E)
            return text(hexText(data));
        value += static_cast<char>(data[i]);
    }
    return text(value);
}

RecordValue variable(ByteView data, ValueMeaning meaning, int exponent, const char*& note) {
    const std::uint8_t lvar = data[0];
    const ByteView payload = data.sub(1);
    if (lvar <= 0xBF)
        return characters(payload);
    if (lvar <= 0xDF)
        return bcd(payload, lvar >= 0xD0, meaning, exponent, note);
    if (payload.size <= 8 && meaning != ValueMeaning::Flags)
        return integer(payload, false, meaning == ValueMeaning::Quantity ? exponent : 0);
    return text(hexDigitsHighFirst(payload));
}

} // namespace

int ValueDecoder::fixedLength(unsigned coding) {
    constexpr int LENGTHS[16] = {0, 1, 2, 3, 4, 4, 6, 8, 0, 1, 2, 3, 4, -1, 6, 0};
    return LENGTHS[coding & 0x0F];
}

int ValueDecoder::variableLength(std::uint8_t lvar) {
    if (lvar <= 0xBF)
        return lvar;
    if ((lvar >= 0xC0 && lvar <= 0xC9) || (lvar >= 0xD0 && lvar <= 0xD9))
        return lvar & 0x0F;
    if (lvar >= 0xE0 && lvar <= 0xEF)
        return lvar - 0xE0;
    if (lvar >= 0xF0 && lvar <= 0xF4)
        return 4 * (lvar - 0xEC);
    if (lvar == 0xF5)
        return 48;
    if (lvar == 0xF6)
        return 64;
    return -1;
}

RecordValue ValueDecoder::read(unsigned coding, ByteView data, ValueMeaning meaning, int exponent,
                               const char*& note) {
    coding &= 0x0F;
    const bool isInteger = (coding >= 1 && coding <= 4) || coding == 6 || coding == 7;
    const bool isBcd = (coding >= 9 && coding <= 0x0C) || coding == 0x0E;
    if (coding == 0 || coding == 8)
        return {};
    if (meaning == ValueMeaning::Date && isInteger) {
        std::string date = DateTypes::forLength(data);
        if (!date.empty())
            return text(std::move(date));
        note = NOT_A_DATE;
        return text(hexDigitsHighFirst(data));
    }
    if (coding == 0x0D)
        return variable(data, meaning, exponent, note);
    if (meaning == ValueMeaning::Flags || meaning == ValueMeaning::Date)
        return text(hexDigitsHighFirst(data));
    if (meaning == ValueMeaning::Unknown)
        return text(hexText(data));
    if (coding == 5)
        return real(data, exponent, note);
    if (isBcd)
        return bcd(data, false, meaning, exponent, note);
    return integer(data, meaning == ValueMeaning::Quantity,
                   meaning == ValueMeaning::Quantity ? exponent : 0);
}

std::string ValueDecoder::decimalText(bool negative, std::uint64_t magnitude, int exponent) {
    std::string digits = std::to_string(magnitude);
    if (exponent > 0 && magnitude != 0)
        digits.append(static_cast<std::size_t>(exponent), '0');
    else if (exponent < 0) {
        const std::size_t decimals = static_cast<std::size_t>(-exponent);
        if (digits.size() <= decimals)
            digits.insert(0, decimals + 1 - digits.size(), '0');
        digits.insert(digits.size() - decimals, 1, '.');
    }
    return (negative && magnitude != 0 ? "-" : "") + digits;
}

const char* ValueDecoder::displayUnit(const char* unit, int& exponent) {
    for (const Ladder& ladder : LADDERS) {
        if (std::strcmp(ladder.base, unit) != 0)
            continue;
        const Rung* chosen = &ladder.rungs[0];
        for (int i = 0; i < ladder.count; ++i)
            if (ladder.rungs[i].exponent <= exponent + 3)
                chosen = &ladder.rungs[i];
        exponent -= chosen->exponent;
        return chosen->unit;
    }
    return unit;
}

} // namespace tovan
