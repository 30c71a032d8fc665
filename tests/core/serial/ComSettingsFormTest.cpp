#include "core/serial/ComSettingsForm.h"

#include "core/serial/PosixPort.h"
#include "tests/support/PtyPair.h"

#include <gtest/gtest.h>
#include <termios.h>

using namespace tovan;

TEST(ComSettingsForm, FillsFromTheRecord) {
    PortSettings settings = PortSettings::forFamily(ModuleFamily::VX31);
    settings.portName = "ttyUSB0";
    settings.dcb.setRtsCtsHandshake();
    settings.dcb.Parity = EVENPARITY;
    settings.dcb.StopBits = TWOSTOPBITS;
    ComSettingsForm form = ComSettingsForm::fromSettings(settings);
    EXPECT_EQ(form.portText, "ttyUSB0");
    EXPECT_EQ(form.baudText, "115200");
    EXPECT_EQ(form.handshakeIndex, 0);
    EXPECT_EQ(form.parityIndex, 2);
    EXPECT_EQ(form.stopBitsIndex, 1);

    // Mark parity shows as None, one and a half stop bits as one, no handshake as None.
    settings.dcb.Parity = MARKPARITY;
    settings.dcb.StopBits = ONE5STOPBITS;
    settings.dcb.setNoHandshake();
    form = ComSettingsForm::fromSettings(settings);
    EXPECT_EQ(form.parityIndex, 0);
    EXPECT_EQ(form.stopBitsIndex, 0);
    EXPECT_EQ(form.handshakeIndex, 1);
}

TEST(ComSettingsForm, OkWritesTheRecordAndReturnsTheTextsAsTyped) {
    PortSettings settings;
    settings.dcb.Parity = SPACEPARITY;
    ComSettingsForm form = ComSettingsForm::fromSettings(settings);
    form.portText = "COM7";
    form.baudText = "38400x";
    form.handshakeIndex = 0;
    form.stopBitsIndex = 1;
    const ComSettingsForm::StatusTexts panes = form.applyTo(settings);
    EXPECT_EQ(panes.port, "COM7");
    EXPECT_EQ(panes.baud, "38400x");
    EXPECT_EQ(settings.portName, "COM7");
    EXPECT_EQ(settings.dcb.BaudRate, 38400u);
    EXPECT_EQ(settings.dcb.Parity, NOPARITY); // shown as None, stored as 0
    EXPECT_EQ(settings.dcb.StopBits, TWOSTOPBITS);
    EXPECT_EQ(settings.dcb.fOutxCtsFlow, 1);
    EXPECT_EQ(settings.dcb.fRtsControl, RTS_CONTROL_HANDSHAKE);
    EXPECT_EQ(settings.dcb.fDtrControl, DTR_CONTROL_DISABLE);

    form.handshakeIndex = 1;
    form.parityIndex = 1;
    form.stopBitsIndex = 0;
    form.applyTo(settings);
    DcbTemplate expected = settings.dcb;
    expected.setNoHandshake();
    EXPECT_EQ(settings.dcb, expected);
    EXPECT_EQ(settings.dcb.fRtsControl, RTS_CONTROL_DISABLE);
    EXPECT_EQ(settings.dcb.Parity, ODDPARITY);
    EXPECT_EQ(settings.dcb.StopBits, ONESTOPBIT);
}

TEST(ComSettingsForm, BaudTextReadsLikeAtol) {
    EXPECT_EQ(parseBaudText("9600"), 9600u);
    EXPECT_EQ(parseBaudText("  \t19200 baud"), 19200u);
    EXPECT_EQ(parseBaudText("+57600"), 57600u);
    EXPECT_EQ(parseBaudText("fast"), 0u);
    EXPECT_EQ(parseBaudText(""), 0u);
    EXPECT_EQ(parseBaudText("-1"), 0xFFFFFFFFu);
    // Too many digits stay at the largest value instead of wrapping to a small rate.
    EXPECT_EQ(parseBaudText("99999999999999999999"), 2147483647u);
    EXPECT_EQ(parseBaudText("-99999999999999999999"), 0x80000000u);
}

TEST(ComSettingsForm, BaudEntrySelectedOnOpen) {
    EXPECT_EQ(findBaudEntry("9600"), 0);
    EXPECT_EQ(findBaudEntry("115200"), 3);
    EXPECT_EQ(findBaudEntry("38400"), 2);
    EXPECT_EQ(findBaudEntry("57600"), -1);
    EXPECT_EQ(findBaudEntry("0"), -1);
    EXPECT_EQ(findBaudEntry("1152000"), -1);
}

TEST(ComSettingsForm, ChoicesReachThePortLine) {
    struct Choice {
        int handshake, parity, stopBits;
        tcflag_t expected;
    };
    const Choice choices[] = {
        {0, 2, 1, CRTSCTS | CSTOPB},
        {1, 1, 0, 0},
    };
    for (const Choice& choice : choices) {
        test::PtyPair pty;
        PortSettings settings = PortSettings::forFamily(ModuleFamily::VM77);
        ComSettingsForm form = ComSettingsForm::fromSettings(settings);
        form.handshakeIndex = choice.handshake;
        form.parityIndex = choice.parity;
        form.stopBitsIndex = choice.stopBits;
        form.applyTo(settings);

        PosixPort port;
        ASSERT_EQ(port.open(pty.slavePath()), 0);
        ASSERT_EQ(port.configure(settings.dcb), 0);
        termios line{};
        ASSERT_EQ(tcgetattr(port.fd(), &line), 0);
        // A pseudo-terminal always reports 8N; the parity reaches the port through the record.
        EXPECT_EQ(line.c_cflag & (CRTSCTS | CSTOPB), choice.expected)
            << choice.handshake << choice.parity << choice.stopBits;
    }
}

TEST(ComSettingsForm, ThePauseOfARemotePortStaysWithinItsRange) {
    PortSettings settings;
    ComSettingsForm form = ComSettingsForm::fromSettings(settings);
    EXPECT_EQ(form.pauseMs, 20u);
    for (const auto& [typed, kept] : {std::pair{5u, 20u}, {120u, 120u}, {100000u, 500u}}) {
        form.pauseMs = typed;
        form.applyTo(settings);
        EXPECT_EQ(settings.remote.framePauseMs, kept);
        EXPECT_EQ(ComSettingsForm::fromSettings(settings).pauseMs, kept);
    }
}
