#include "core/composer/ComposerSave.h"

#include <gtest/gtest.h>

using namespace tovan::composer;

namespace {

Fields vx31(std::string command, std::string data) {
    Fields f;
    f.preamble = "FE";
    f.command = std::move(command);
    f.data = std::move(data);
    return f;
}

Fields vm77(std::string cmd, std::string data) {
    Fields f;
    f.preamble = "FF";
    f.command = std::move(cmd);
    f.data = std::move(data);
    return f;
}

} // namespace

TEST(SaveVx31, BuildsLengthChecksumAndFrameText) {
    SaveOutcome out = saveVx31(vx31("00 01", "11 22"));
    ASSERT_FALSE(out.refusal);
    EXPECT_EQ(out.fields.length, "02");
    EXPECT_EQ(out.fields.checksum, "30");
    EXPECT_EQ(out.frameText, "FE 02 00 01 11 22 30");

    out = saveVx31(vx31("00 01", ""));
    EXPECT_EQ(out.frameText, "FE 00 00 01 01");

    // One command byte and nothing else: LEN wraps to FF.
    out = saveVx31(vx31("05", ""));
    EXPECT_EQ(out.frameText, "FE FF 05 FA");
}

TEST(SaveVx31, RefusesThreeEqualCharactersInARow) {
    SaveOutcome out = saveVx31(vx31("000 1", "11 22"));
    ASSERT_TRUE(out.refusal);
    EXPECT_EQ(out.refusal->id, MessageId::CorruptCommand);
    EXPECT_EQ(noticeText(*out.refusal), "Corrupt command. Please check the command attribute!");
    EXPECT_STREQ(noticeCaption(out.refusal->id), "Error in CMD");
    EXPECT_TRUE(out.frameText.empty());

    out = saveVx31(vx31("00 01", "111"));
    ASSERT_TRUE(out.refusal);
    EXPECT_EQ(noticeText(*out.refusal), "Corrupt command. Please check the data!");
    EXPECT_STREQ(noticeCaption(out.refusal->id), "Error in data");
    EXPECT_TRUE(noticeIsError(out.refusal->id));

    out = saveVx31(vx31("00 01", "11   22"));
    ASSERT_TRUE(out.refusal);
    EXPECT_EQ(out.refusal->id, MessageId::CorruptDataVx31);

    EXPECT_FALSE(saveVx31(vx31("00 01", "11 11")).refusal);
}

TEST(SaveVx31, KeepsThePreambleFieldAsItStands) {
    Fields f = vx31("00 01", "");
    f.preamble.clear(); // as a load of a very short stored text leaves it
    EXPECT_EQ(saveVx31(f).frameText, " 00 00 01 01");
}

TEST(SaveVm77, BuildsCommandAndRawFrames) {
    SaveOutcome out = saveVm77(vm77("01", "11 22"));
    ASSERT_FALSE(out.refusal);
    EXPECT_EQ(out.fields.length, "02");
    EXPECT_EQ(out.fields.checksum, "CF");
    EXPECT_EQ(out.frameText, "FF 01 02 11 22 CF");

    out = saveVm77(vm77("01", ""));
    EXPECT_EQ(out.frameText, "FF 01 00 FE");

    out = saveVm77(vm77("", "11 22"));
    ASSERT_FALSE(out.refusal);
    EXPECT_EQ(out.frameText, "@02 11 22");
    EXPECT_EQ(out.fields.length, "02");
    EXPECT_EQ(out.fields.preamble, "");
    EXPECT_EQ(out.fields.checksum, "");

    out = saveVm77(vm77("", ""));
    EXPECT_EQ(out.frameText, "@00 ");
}

TEST(SaveVm77, ChecksCmdThenDataButNotTheRawForm) {
    SaveOutcome out = saveVm77(vm77("01", "22 222"));
    ASSERT_TRUE(out.refusal);
    EXPECT_EQ(noticeText(*out.refusal), "Corrupt data. Please check the data!");
    EXPECT_STREQ(noticeCaption(out.refusal->id), "Error in data");

    Fields f = vm77("", "1111");
    EXPECT_FALSE(saveVm77(f).refusal);
    EXPECT_EQ(saveVm77(f).frameText, "@02 1111");
}

// A digit without its pair would be joined to the next field's first digit (or dropped): the
// stored frame would not be what the fields show, so the field is named instead.
TEST(SaveVm77, AnUnpairedDigitIsRefusedNotMovedOrDropped) {
    for (const Fields& fields : {vm77("01", "5"), vm77("", "AB C"), vm77("1", "22")}) {
        const SaveOutcome out = saveVm77(fields);
        ASSERT_TRUE(out.refusal);
        EXPECT_EQ(out.refusal->id, MessageId::OddDigits);
        EXPECT_EQ(out.refusal->field, fields.command.size() == 1 ? Field::Command : Field::Data);
        EXPECT_STREQ(noticeCaption(*out.refusal),
                     fields.command.size() == 1 ? "Error in CMD" : "Error in data");
    }
}

TEST(Save, FieldOverItsLimitIsRefusedWithTheLimit) {
    // A loaded stored command can hold more than the form lets the user type.
    Fields f = vx31("00 01", "");
    for (int i = 0; i < 129; ++i)
        f.data += "12 "; // 387 characters
    SaveOutcome out = saveVx31(f);
    ASSERT_TRUE(out.refusal);
    EXPECT_EQ(out.refusal->field, Field::Data);
    EXPECT_EQ(noticeText(*out.refusal), "Please enter no more than 384 characters.");
    EXPECT_EQ(noticeCaption(out.refusal->id), nullptr);

    out = saveVm77(vm77("012", "11"));
    ASSERT_TRUE(out.refusal);
    EXPECT_EQ(noticeText(*out.refusal), "Please enter no more than 2 characters.");
    // The raw form reads the fields with the same limits.
    out = saveVm77(vm77("", f.data));
    ASSERT_TRUE(out.refusal);
    EXPECT_EQ(out.refusal->id, MessageId::FieldTooLong);
}
