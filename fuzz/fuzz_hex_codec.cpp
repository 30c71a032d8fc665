// Hex text into areas of every size: nothing is written beyond the area, and the bytes are
// those a plain reading of the text gives. Also bytes to text and back.
#include "core/frames/CHexCodec.h"
#include "core/frames/HexInput.h"
#include "fuzz/FuzzCheck.h"

#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using namespace tovan;

namespace {

constexpr std::uint8_t UNTOUCHED = 0xA5;
constexpr std::size_t GUARD = 16;

// The digits of the text in order, each as its value.
std::vector<int> digitsOf(std::string_view text) {
    std::vector<int> digits;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digits.push_back(c - '0');
        else if (c >= 'A' && c <= 'F')
            digits.push_back(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digits.push_back(c - 'a' + 10);
    }
    return digits;
}

// What an area of `capacity` bytes holds after the conversion, the bytes it does not touch
// left UNTOUCHED: complete pairs while there is room, then a lone last digit as its high half.
std::vector<std::uint8_t> reference(const std::vector<int>& digits, std::size_t capacity,
                                    int& count) {
    std::vector<std::uint8_t> area(capacity, UNTOUCHED);
    std::size_t pairs = 0;
    for (; pairs < capacity && 2 * pairs + 1 < digits.size(); ++pairs)
        area[pairs] = static_cast<std::uint8_t>(digits[2 * pairs] * 16 + digits[2 * pairs + 1]);
    if (pairs < capacity && 2 * pairs < digits.size())
        area[pairs] = static_cast<std::uint8_t>(digits[2 * pairs] * 16);
    count = static_cast<int>(pairs);
    return area;
}

// The area is allocated at exactly its size followed by a guard, so AddressSanitizer sees a
// write past the guard and the guard check sees one into it.
void convertInto(std::string_view text, const std::vector<int>& digits, std::size_t capacity) {
    const auto area = std::make_unique<std::uint8_t[]>(capacity + GUARD);
    std::memset(area.get(), UNTOUCHED, capacity + GUARD);
    const int count = CHexCodec().HexToBytes(text, area.get(), capacity);
    int expectedCount = 0;
    const std::vector<std::uint8_t> expected = reference(digits, capacity, expectedCount);
    FUZZ_CHECK(count == expectedCount, "the count is the pairs that fit");
    FUZZ_CHECK(capacity == 0 || std::memcmp(area.get(), expected.data(), capacity) == 0,
               "the area holds the pairs in order");
    for (std::size_t i = capacity; i < capacity + GUARD; ++i)
        FUZZ_CHECK(area[i] == UNTOUCHED, "nothing is written beyond the area");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<int> digits = digitsOf(text);
    const int byteCount = CHexCodec::HexByteCount(text);
    FUZZ_CHECK(byteCount == static_cast<int>(digits.size() / 2), "HexByteCount counts pairs");
    for (std::size_t capacity = 0; capacity <= static_cast<std::size_t>(byteCount) + 1; ++capacity)
        convertInto(text, digits, capacity);

    // Typed input: accepted only as whole pairs with blanks between, and then read in full.
    bool blanksOnly = true;
    for (char c : text)
        blanksOnly = blanksOnly && (CHexCodec::DigitValue(c) >= 0 || c == ' ' || c == '\t');
    std::vector<std::uint8_t> typed;
    const bool accepted = parseHexInput(text, typed);
    FUZZ_CHECK(accepted == (blanksOnly && !digits.empty() && digits.size() % 2 == 0),
               "typed input is accepted exactly when it is whole pairs between blanks");
    int pairs = 0;
    FUZZ_CHECK(!accepted || typed == reference(digits, digits.size() / 2, pairs),
               "accepted input gives every pair");

    // The bytes of the input as text, and the text back into bytes.
    std::string hex;
    CHexCodec().BytesToHex(data, size, hex);
    FUZZ_CHECK(hex.size() == (size == 0 ? 0 : 3 * size - 1),
               "two digits a byte, one space between");
    std::vector<std::uint8_t> back;
    FUZZ_CHECK(parseHexInput(hex, back) == (size > 0), "written hex text is valid input");
    FUZZ_CHECK(size == 0 || (back.size() == size && std::memcmp(back.data(), data, size) == 0),
               "bytes survive the trip through text");
    return 0;
}
