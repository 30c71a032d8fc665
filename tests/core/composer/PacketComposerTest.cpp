#include "core/composer/PacketComposer.h"

#include "core/composer/ComposerRules.h"
#include "core/hub/ConsoleMessage.h"
#include "tests/support/RecordingEndpoint.h"

#include <climits>
#include <gtest/gtest.h>

using namespace tovan;
using namespace tovan::composer;
using tovan::test::RecordingEndpoint;

namespace {

std::vector<std::uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

struct ComposerTest : ::testing::Test {
    RecordingEndpoint console;
    PacketComposer vx31{ModuleFamily::VX31};
    PacketComposer vm77{ModuleFamily::VM77};

    void SetUp() override {
        vx31.setTarget(&console);
        vm77.setTarget(&console);
    }
};

} // namespace

TEST_F(ComposerTest, SaveSendsTheFrameTextAndTransmitItsBytes) {
    vx31.fields().command = "00 01";
    vx31.fields().data = "11 22";
    ASSERT_FALSE(vx31.save());
    ASSERT_FALSE(vx31.transmit());

    const auto saved = console.messages(CD_SAVE_COMMAND);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].text(), "FE 02 00 01 11 22 30");
    const auto sent = console.messages(CD_SEND_FRAME);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].bytes, bytes({0xFE, 0x02, 0x00, 0x01, 0x11, 0x22, 0x30}));
}

TEST_F(ComposerTest, RawFormTransmitsLengthAndData) {
    vm77.fields().data = "11 22";
    ASSERT_FALSE(vm77.save());
    EXPECT_EQ(vm77.frameText(), "@02 11 22");
    ASSERT_FALSE(vm77.transmit());
    EXPECT_EQ(console.messages(CD_SEND_FRAME).at(0).bytes, bytes({0x02, 0x11, 0x22}));
}

TEST_F(ComposerTest, RefusedSaveChangesNothingAndSendsNothing) {
    vx31.load("FE 02 00 01 11 22 30");
    vx31.fields().data = "111";
    const auto notice = vx31.save();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->id, MessageId::CorruptDataVx31);
    EXPECT_EQ(vx31.frameText(), "FE 02 00 01 11 22 30");
    EXPECT_EQ(vx31.fields().checksum, "30");
    EXPECT_TRUE(console.messages(CD_SAVE_COMMAND).empty());
}

// What goes out is what the fields show: edited fields are built as Save builds them (Length
// and Checksum shown) but not stored; a field with an odd digit count, or nothing to send,
// sends nothing and names the field.
TEST_F(ComposerTest, TransmitSendsWhatTheFieldsShowWithoutStoringIt) {
    vx31.load("FE 02 00 01 11 22 30");
    vx31.fields().data = "33 44";
    vx31.markEdited();
    ASSERT_FALSE(vx31.transmit());
    EXPECT_EQ(console.messages(CD_SEND_FRAME).at(0).bytes,
              bytes({0xFE, 0x02, 0x00, 0x01, 0x33, 0x44, 0x74}));
    EXPECT_EQ(vx31.fields().checksum, "74");
    EXPECT_TRUE(console.messages(CD_SAVE_COMMAND).empty()) << "only Save stores";

    vm77.fields().command = "01";
    vm77.fields().data = "11 22";
    vm77.markEdited();
    ASSERT_FALSE(vm77.transmit());
    EXPECT_EQ(console.messages(CD_SEND_FRAME).at(1).bytes,
              bytes({0xFF, 0x01, 0x02, 0x11, 0x22, 0xCF}));

    vx31.fields().command = "A";
    vx31.fields().data = "AB C";
    vx31.markEdited();
    const auto odd = vx31.transmit();
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->id, MessageId::OddDigits);
    EXPECT_EQ(odd->field, Field::Command);
    EXPECT_EQ(noticeText(*odd), "The Command field holds 1 hex digits, an odd number. Every byte "
                                "needs two digits: please check the Command field.");
    EXPECT_TRUE(vx31.save());

    PacketComposer fresh(ModuleFamily::VX31);
    fresh.setTarget(&console);
    const auto nothing = fresh.transmit();
    ASSERT_TRUE(nothing);
    EXPECT_EQ(nothing->id, MessageId::NothingToSend);
    EXPECT_EQ(console.messages(CD_SEND_FRAME).size(), 2u);
}

TEST_F(ComposerTest, TransmitRefusesAFrameBeyondTheAreaInsteadOfCuttingIt) {
    std::string text = "FE FB 00 01";
    for (int i = 0; i < 248; ++i)
        text += " 01";
    text += " 00"; // 253 bytes
    vx31.load(text);
    const auto notice = vx31.transmit();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->id, MessageId::FrameTooLong);
    EXPECT_TRUE(console.messages(CD_SEND_FRAME).empty());

    // Periodic sending of it does not start either.
    vx31.fields().period = "100";
    EXPECT_TRUE(vx31.togglePeriodic().refusal);
    EXPECT_FALSE(vx31.periodicActive());

    // Exactly 252 bytes fill the area and go out whole.
    vx31.load(text.substr(0, text.size() - 3));
    ASSERT_FALSE(vx31.transmit());
    EXPECT_EQ(console.messages(CD_SEND_FRAME).at(0).bytes.size(), 252u);
}

TEST_F(ComposerTest, PeriodicSendingSwitchesStatesAndIgnoresLoads) {
    vm77.setPortOpen(true);
    vm77.load("FF 01 02 11 22 CF");
    vm77.fields().period = "250ms";
    PacketComposer::PeriodicSwitch on = vm77.togglePeriodic();
    ASSERT_FALSE(on.refusal);
    EXPECT_EQ(on.startMs, 250);
    EXPECT_TRUE(vm77.periodicActive());
    EXPECT_TRUE(vm77.controls().periodicLook);
    EXPECT_FALSE(vm77.controls().save);
    EXPECT_FALSE(vm77.controls().transmit);
    EXPECT_TRUE(vm77.controls().activate);
    EXPECT_FALSE(vm77.controls().inputsWritable);

    EXPECT_FALSE(vm77.load("FF 02 00 FD"));
    EXPECT_EQ(vm77.fields().command, "01");
    EXPECT_EQ(vm77.frameText(), "FF 01 02 11 22 CF");

    PacketComposer::PeriodicSwitch off = vm77.togglePeriodic();
    EXPECT_TRUE(off.stop);
    EXPECT_FALSE(vm77.periodicActive());
    EXPECT_TRUE(vm77.controls().save);
    EXPECT_TRUE(vm77.controls().transmit);
    EXPECT_TRUE(vm77.controls().inputsWritable);
    EXPECT_FALSE(vm77.controls().periodicLook);
    EXPECT_EQ(console.messages(CD_TOGGLE_PERIODIC).size(), 2u);
}

TEST(PeriodRule, MinimumEmptyNonNumericAndLongRuns) {
    EXPECT_EQ(checkPeriod("100").milliseconds, 100);
    EXPECT_FALSE(checkPeriod("100").refusal);

    PeriodCheck check = checkPeriod("99");
    ASSERT_TRUE(check.refusal);
    EXPECT_EQ(noticeText(*check.refusal), "Period to small. Please choose more than 100 ms");
    EXPECT_EQ(noticeCaption(check.refusal->id), nullptr);

    check = checkPeriod("");
    ASSERT_TRUE(check.refusal);
    EXPECT_EQ(noticeText(*check.refusal), "No period defined");

    check = checkPeriod("abc");
    ASSERT_TRUE(check.refusal);
    EXPECT_EQ(check.refusal->id, MessageId::PeriodTooSmall);
    EXPECT_EQ(checkPeriod(" 500").refusal->id, MessageId::PeriodTooSmall);

    // A run that would wrap a 32- or 64-bit value stays at the longest period.
    check = checkPeriod("4294967396");
    EXPECT_FALSE(check.refusal);
    EXPECT_EQ(check.milliseconds, INT_MAX);
    check = checkPeriod(std::string(400, '9'));
    EXPECT_FALSE(check.refusal);
    EXPECT_EQ(check.milliseconds, INT_MAX);
}
