#include "core/frames/FrameLayout.h"

#include <gtest/gtest.h>

using namespace tovan::frame;

TEST(FirstFamilyRules, WorkedExamples) {
    LengthAndChecksum r = vx31LengthAndChecksum("00 01", "11 22");
    EXPECT_EQ(r.length, 0x02);
    EXPECT_EQ(r.checksum, 0x30);

    r = vx31LengthAndChecksum("00 01", "");
    EXPECT_EQ(r.length, 0x00);
    EXPECT_EQ(r.checksum, 0x01);

    // One command byte and no data: LEN wraps to FF and the checksum covers LEN and that byte.
    r = vx31LengthAndChecksum("05", "");
    EXPECT_EQ(r.length, 0xFF);
    EXPECT_EQ(r.checksum, 0xFF ^ 0x05);
}

TEST(FirstFamilyRules, OddDigitsShiftThePairingAcrossFields) {
    // "0 01" + "1 22" is read as 00 11 22: the field boundary does not stop the pairing.
    const LengthAndChecksum r = vx31LengthAndChecksum("0 01", "1 22");
    EXPECT_EQ(r.byteCount, 3);
    EXPECT_EQ(r.length, 0x01);
    EXPECT_EQ(r.checksum, 0x01 ^ 0x00 ^ 0x11 ^ 0x22);
}

TEST(SecondFamilyRules, WorkedExamples) {
    LengthAndChecksum r = vm77LengthAndChecksum("01", "11 22");
    EXPECT_EQ(r.length, 0x02);
    EXPECT_EQ(r.checksum, 0xCF);

    r = vm77LengthAndChecksum("01", "");
    EXPECT_EQ(r.length, 0x00);
    EXPECT_EQ(r.checksum, 0xFE);
}

TEST(SecondFamilyRules, LengthWrapsModulo256) {
    std::string data;
    for (int i = 0; i < 256; ++i)
        data += "01 ";
    const LengthAndChecksum r = vm77LengthAndChecksum("02", data);
    EXPECT_EQ(r.byteCount, 256);
    EXPECT_EQ(r.length, 0x00);
}
