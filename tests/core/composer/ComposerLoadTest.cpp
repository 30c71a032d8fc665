#include "core/composer/ComposerLoad.h"

#include <gtest/gtest.h>

using namespace tovan::composer;

namespace {

struct Loaded {
    Fields fields;
    std::string frame = "untouched";
    bool loaded = false;
};

Loaded vx31(std::string_view text) {
    Loaded r;
    r.fields = {"x", "x", "x", "x", "x", "500"};
    r.loaded = loadVx31(text, r.fields, r.frame);
    return r;
}

Loaded vm77(std::string_view text) {
    Loaded r;
    r.fields = {"x", "x", "x", "x", "x", "500"};
    r.loaded = loadVm77(text, r.fields, r.frame);
    return r;
}

} // namespace

TEST(LoadVx31, SplitsAFullFrame) {
    Loaded r = vx31("FE 02 00 01 11 22 30");
    EXPECT_TRUE(r.loaded);
    EXPECT_EQ(r.frame, "FE 02 00 01 11 22 30");
    EXPECT_EQ(r.fields.preamble, "FE");
    EXPECT_EQ(r.fields.length, "02");
    EXPECT_EQ(r.fields.command, "00 01");
    EXPECT_EQ(r.fields.data, "11 22");
    EXPECT_EQ(r.fields.checksum, "30");
    EXPECT_EQ(r.fields.period, "500");

    r = vx31("FE 00 00 01 01"); // 14 characters: no data
    EXPECT_EQ(r.fields.command, "00 01");
    EXPECT_EQ(r.fields.data, "");
    EXPECT_EQ(r.fields.checksum, "01");
}

TEST(LoadVx31, ShortTextsAndOddLengths) {
    // 12 characters: the command is cut at the checksum's space.
    Loaded r = vx31("FE 00 005 FA");
    EXPECT_EQ(r.fields.checksum, "FA");
    EXPECT_EQ(r.fields.command, "005");
    EXPECT_EQ(r.fields.data, "");

    r = vx31("FE 00 00"); // 0 < len < 12, at least 5: Length from the text
    EXPECT_TRUE(r.loaded);
    EXPECT_EQ(r.frame, "");
    EXPECT_EQ(r.fields.preamble, "FE");
    EXPECT_EQ(r.fields.length, "00");
    EXPECT_EQ(r.fields.command, "");
    EXPECT_EQ(r.fields.data, "");
    EXPECT_EQ(r.fields.checksum, "");

    r = vx31("FE 0"); // below 5: everything emptied
    EXPECT_EQ(r.fields.preamble, "");
    EXPECT_EQ(r.fields.length, "");
}

TEST(LoadVx31, EmptyTextKeepsEverything) {
    const Loaded r = vx31("");
    EXPECT_FALSE(r.loaded);
    EXPECT_EQ(r.frame, "untouched");
    EXPECT_EQ(r.fields.data, "x");
}

TEST(LoadVm77, SplitsCommandAndRawFrames) {
    Loaded r = vm77("FF 01 02 11 22 CF");
    EXPECT_EQ(r.fields.preamble, "FF");
    EXPECT_EQ(r.fields.command, "01");
    EXPECT_EQ(r.fields.length, "02");
    EXPECT_EQ(r.fields.data, "11 22");
    EXPECT_EQ(r.fields.checksum, "CF");

    r = vm77("FF 01 00 FE"); // 11 characters: no data
    EXPECT_EQ(r.fields.data, "");
    EXPECT_EQ(r.fields.checksum, "FE");

    r = vm77("@02 11 22");
    EXPECT_EQ(r.frame, "@02 11 22");
    EXPECT_EQ(r.fields.preamble, "");
    EXPECT_EQ(r.fields.command, "");
    EXPECT_EQ(r.fields.length, "02");
    EXPECT_EQ(r.fields.data, "11 22");
    EXPECT_EQ(r.fields.checksum, "");

    r = vm77("@");
    EXPECT_EQ(r.frame, "@");
    EXPECT_EQ(r.fields.length, "");
    EXPECT_EQ(r.fields.data, "");
}

TEST(LoadVm77, ShortTextGetsLengthZeroNotTheTextsLength) {
    Loaded r = vm77("FF 01 05"); // 0 < len < 10, at least 5
    EXPECT_EQ(r.frame, "");
    EXPECT_EQ(r.fields.preamble, "FF");
    EXPECT_EQ(r.fields.length, "00");
    EXPECT_EQ(r.fields.command, "");

    r = vm77("FF 0");
    EXPECT_EQ(r.fields.preamble, "");
    EXPECT_EQ(r.fields.length, "");

    r = vm77("");
    EXPECT_FALSE(r.loaded);
    EXPECT_EQ(r.frame, "untouched");
}
