#include "core/frames/CHexCodec.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using tovan::CHexCodec;

namespace {

std::vector<std::uint8_t> convert(std::string_view text, std::size_t capacity, int& count) {
    std::vector<std::uint8_t> area(capacity + 4, 0xAA); // guard bytes behind the area
    count = CHexCodec().HexToBytes(text, area.data(), capacity);
    return area;
}

std::string hex(std::vector<std::uint8_t> bytes) {
    std::string out;
    CHexCodec().BytesToHex(bytes.data(), bytes.size(), out);
    return out;
}

} // namespace

TEST(HexToBytes, SkipsEverythingButDigitsAndPairsThemAcrossGaps) {
    int count = -1;
    auto bytes = convert("", 8, count);
    EXPECT_EQ(count, 0);

    bytes = convert("FE02", 8, count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(bytes[0], 0xFE);
    EXPECT_EQ(bytes[1], 0x02);

    bytes = convert("fe 0a", 8, count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(bytes[0], 0xFE);
    EXPECT_EQ(bytes[1], 0x0A);

    bytes = convert("@05 01 02", 8, count);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 3),
              (std::vector<std::uint8_t>{0x05, 0x01, 0x02}));

    // An odd digit shifts the pairing of everything after it.
    bytes = convert("0 12 3", 8, count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[1], 0x23);
}

TEST(HexToBytes, UnpairedLastDigitIsWrittenButNotCounted) {
    int count = -1;
    auto bytes = convert("1 23", 8, count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(bytes[0], 0x12);
    EXPECT_EQ(bytes[1], 0x30);
}

TEST(HexToBytes, NeverWritesBeyondTheArea) {
    int count = -1;
    auto bytes = convert("01 02 03 04 05", 3, count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(bytes[2], 0x03);
    EXPECT_EQ(bytes[3], 0xAA);

    // The unpaired digit has no room either.
    bytes = convert("01 02 0", 2, count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(bytes[2], 0xAA);

    bytes = convert("FF", 0, count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(bytes[0], 0xAA);

    EXPECT_EQ(CHexCodec::HexByteCount("01 02 03 04 05"), 5);
    EXPECT_EQ(CHexCodec::HexByteCount("@1 23"), 1);
}

TEST(BytesToHex, WritesTwoUpperCaseDigitsAndSingleSpaces) {
    EXPECT_EQ(hex({0x00, 0x0A, 0xFF}), "00 0A FF");
    EXPECT_EQ(hex({0x07}), "07");
    EXPECT_EQ(hex({}), "");

    std::string appended = "FE ";
    const std::uint8_t one = 0x3c;
    CHexCodec().BytesToHex(&one, 1, appended);
    EXPECT_EQ(appended, "FE 3C");
}

TEST(IsHexOrSpace, AcceptsDigitsLettersAToFAndTheSpaceOnly) {
    for (char c : std::string("0123456789abcdefABCDEF "))
        EXPECT_TRUE(CHexCodec::IsHexOrSpace(c)) << c;
    for (char c : std::string("gG@\t\n-xZ\0", 9))
        EXPECT_FALSE(CHexCodec::IsHexOrSpace(c)) << int(c);
}

TEST(XorChecksum, CoversTheCountModulo256) {
    const CHexCodec codec;
    const std::array<std::uint8_t, 4> bytes{0x01, 0x10, 0x20, 0x33};
    EXPECT_EQ(codec.XorChecksum(bytes.data(), 3), 0x31);
    EXPECT_EQ(codec.XorChecksum(bytes.data(), 0), 0);

    std::vector<std::uint8_t> many(257, 0x5A);
    EXPECT_EQ(codec.XorChecksum(many.data(), 256), 0); // 256 counts as 0 bytes
    EXPECT_EQ(codec.XorChecksum(many.data(), 257), 0x5A);
}
