#include "core/frames/CHexCodec.h"

namespace tovan {

int CHexCodec::DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

int CHexCodec::HexToBytes(std::string_view text, std::uint8_t* out, std::size_t capacity) const {
    std::size_t count = 0;
    bool haveHighDigit = false;
    for (char c : text) {
        const int value = DigitValue(c);
        if (value < 0)
            continue;
        if (count >= capacity)
            break;
        if (!haveHighDigit) {
            out[count] = static_cast<std::uint8_t>(value * 16);
            haveHighDigit = true;
        } else {
            out[count] = static_cast<std::uint8_t>(out[count] + value);
            ++count;
            haveHighDigit = false;
        }
    }
    return static_cast<int>(count);
}

void CHexCodec::BytesToHex(const std::uint8_t* bytes, std::size_t count, std::string& out) const {
    static constexpr char digits[] = "0123456789ABCDEF";
    out.reserve(out.size() + count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            out += ' ';
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0x0F];
    }
}

bool CHexCodec::IsHexOrSpace(char c) {
    return c == ' ' || DigitValue(c) >= 0;
}

std::uint8_t CHexCodec::XorChecksum(const std::uint8_t* bytes, std::size_t count) const {
    std::uint8_t sum = 0;
    const std::size_t covered = count & 0xFF;
    for (std::size_t i = 0; i < covered; ++i)
        sum ^= bytes[i];
    return sum;
}

int CHexCodec::HexByteCount(std::string_view text) {
    int digits = 0;
    for (char c : text)
        if (DigitValue(c) >= 0)
            ++digits;
    return digits / 2;
}

} // namespace tovan
