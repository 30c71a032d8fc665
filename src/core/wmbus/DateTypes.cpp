#include "core/wmbus/DateTypes.h"

namespace tovan {
namespace {

bool validDate(unsigned day, unsigned month) {
    return day >= 1 && day <= 31 && month >= 1 && month <= 12;
}

bool validTime(unsigned hour, unsigned minute, unsigned second) {
    return hour <= 23 && minute <= 59 && second <= 59;
}

// Seven bits of year: the low three with the day, the high four with the month.
unsigned yearBits(std::uint8_t dayByte, std::uint8_t monthByte) {
    return (dayByte >> 5) | ((monthByte & 0xF0) >> 1);
}

void appendDigits(std::string& text, unsigned value, int width) {
    char digits[8];
    for (int i = width - 1; i >= 0; --i, value /= 10)
        digits[i] = static_cast<char>('0' + value % 10);
    text.append(digits, static_cast<std::size_t>(width));
}

std::string date(unsigned year, unsigned month, unsigned day) {
    std::string text;
    text.reserve(20);
    appendDigits(text, year, 4);
    text += '-';
    appendDigits(text, month, 2);
    text += '-';
    appendDigits(text, day, 2);
    return text;
}

std::string time(unsigned hour, unsigned minute, int second) {
    std::string text;
    appendDigits(text, hour, 2);
    text += ':';
    appendDigits(text, minute, 2);
    if (second >= 0) {
        text += ':';
        appendDigits(text, static_cast<unsigned>(second), 2);
    }
    return text;
}

} // namespace

std::string DateTypes::typeG(ByteView b) {
    const unsigned day = b[0] & 0x1F;
    const unsigned month = b[1] & 0x0F;
    if (!validDate(day, month))
        return {};
    return date(2000 + yearBits(b[0], b[1]), month, day);
}

std::string DateTypes::typeF(ByteView b) {
    const unsigned minute = b[0] & 0x3F;
    const unsigned hour = b[1] & 0x1F;
    const unsigned day = b[2] & 0x1F;
    const unsigned month = b[3] & 0x0F;
    if ((b[0] & 0x80) || !validTime(hour, minute, 0) || !validDate(day, month))
        return {};
    // The hundred-year bits count centuries from 1900; meters that leave them at 0 mean the
    // years up to 2080.
    const unsigned century = (b[1] >> 5) & 0x03;
    const unsigned year = yearBits(b[2], b[3]);
    unsigned full = 1900 + 100 * century + year;
    if (century == 0 && year <= 80)
        full += 100;
    return date(full, month, day) + " " + time(hour, minute, -1);
}

std::string DateTypes::typeI(ByteView b) {
    const unsigned second = b[0] & 0x3F;
    const unsigned minute = b[1] & 0x3F;
    const unsigned hour = b[2] & 0x1F;
    const unsigned day = b[3] & 0x1F;
    const unsigned month = b[4] & 0x0F;
    if ((b[1] & 0x80) || !validTime(hour, minute, second) || !validDate(day, month))
        return {};
    return date(2000 + yearBits(b[3], b[4]), month, day) + " " +
           time(hour, minute, static_cast<int>(second));
}

std::string DateTypes::typeJ(ByteView b) {
    const unsigned second = b[0] & 0x3F;
    const unsigned minute = b[1] & 0x3F;
    const unsigned hour = b[2] & 0x1F;
    if (!validTime(hour, minute, second))
        return {};
    return time(hour, minute, static_cast<int>(second));
}

std::string DateTypes::forLength(ByteView b) {
    switch (b.size) {
    case 2:
        return typeG(b);
    case 3:
        return typeJ(b);
    case 4:
        return typeF(b);
    case 6:
        return typeI(b);
    default:
        return {};
    }
}

} // namespace tovan
