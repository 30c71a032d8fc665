#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovan {

// The one converter between bytes and their hex text: two upper-case digits per byte,
// one space between bytes. Stateless; any number of callers may share an instance.
class CHexCodec {
public:
    // Converts hex text into `out`, pairing digits in the order they appear and skipping every
    // other character. Writes at most `capacity` bytes: digits that would complete a byte
    // beyond the area are not converted. A final unpaired digit leaves digit * 16 in the byte
    // after the counted ones when there is room for it. Returns the number of completed bytes.
    int HexToBytes(std::string_view text, std::uint8_t* out, std::size_t capacity) const;

    // Appends the hex text of `count` bytes to `out`; nothing for a count of 0.
    void BytesToHex(const std::uint8_t* bytes, std::size_t count, std::string& out) const;

    // True for 0-9, A-F, a-f and the space character (not for a tab).
    static bool IsHexOrSpace(char c);

    // XOR of the first `count` bytes. Only the low 8 bits of `count` are used, exactly as
    // the module firmware and the stored command sets expect.
    std::uint8_t XorChecksum(const std::uint8_t* bytes, std::size_t count) const;

    // Number of bytes the whole text yields (complete digit pairs), whatever the area size.
    // Lets a caller refuse a text that does not fit before converting it.
    static int HexByteCount(std::string_view text);

    // Value of a hex digit, or -1 for any other character.
    static int DigitValue(char c);
};

} // namespace tovan
