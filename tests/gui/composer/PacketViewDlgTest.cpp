#include "core/hub/ConsoleMessage.h"
#include "gui/composer/CVM77PacketViewDlg.h"
#include "gui/composer/CVX3xPacketViewDlg.h"
#include "gui/shared/AppTexts.h"
#include "tests/support/RecordingDialogs.h"
#include "tests/support/RecordingEndpoint.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace tovan;
using tovan::test::RecordingDialogs;
using tovan::test::RecordingEndpoint;

namespace {

template <typename T = QLineEdit>
T* child(QWidget& form, const char* id) {
    T* widget = form.findChild<T*>(QString::fromLatin1(id));
    EXPECT_NE(widget, nullptr) << id;
    return widget;
}

// Runs the event loop until `done` holds or `timeoutMs` passed; timing is never asserted.
template <typename Condition>
bool waitUntil(Condition done, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QTest::qWait(10);
    return done();
}

struct Vx31Form : ::testing::Test {
    RecordingDialogs dialogs;
    RecordingEndpoint console;
    CVX3xPacketViewDlg form;
    QLineEdit* data = nullptr;

    void SetUp() override {
        form.SetTargetWindow(&console);
        form.show();
        data = child(form, "1007");
    }
    void load(std::string_view text, bool portOpen = false) {
        form.SetPortOpen(portOpen);
        form.LoadFrameText(text);
    }
    void typeInto(QLineEdit* edit, int caret, const char* keys) {
        edit->setFocus();
        edit->setCursorPosition(caret);
        QTest::keyClicks(edit, QString::fromLatin1(keys));
    }
};

} // namespace

TEST_F(Vx31Form, TypedDigitsAreGroupedInPairs) {
    load("FE 00 00");
    typeInto(data, 0, "abc");
    EXPECT_EQ(data->text(), "AB C");
    EXPECT_EQ(data->cursorPosition(), 4);
    EXPECT_TRUE(dialogs.shown.empty());

    data->setText("12");
    typeInto(data, 0, "5");
    EXPECT_EQ(data->text(), " 512");
    EXPECT_EQ(data->cursorPosition(), 1);
}

TEST_F(Vx31Form, InvalidCharacterIsRemovedWithTheMessage) {
    load("FE 00 00");
    typeInto(data, 0, "1g");
    EXPECT_EQ(data->text(), "1");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Please enter valid character (0-9, a-f, A-F)");
    EXPECT_EQ(dialogs.shown[0].caption, texts::APP_TITLE);

    // The Command field stops at its limit and groups its two bytes.
    QLineEdit* command = child(form, "1008");
    typeInto(command, 0, "000102");
    EXPECT_EQ(command->text(), "00 01");
}

TEST_F(Vx31Form, SaveByButtonAndEnterFillsLengthAndChecksum) {
    load("FE 00 00");
    typeInto(child(form, "1008"), 0, "0001");
    typeInto(data, 0, "1122");
    QTest::keyClick(data, Qt::Key_Return);
    ASSERT_EQ(console.messages(CD_SAVE_COMMAND).size(), 1u);
    EXPECT_EQ(console.messages(CD_SAVE_COMMAND)[0].text(), "FE 02 00 01 11 22 30");
    EXPECT_EQ(child(form, "1010")->text(), "02");
    EXPECT_EQ(child(form, "1009")->text(), "30");

    data->setText("111");
    QTest::mouseClick(child<QPushButton>(form, "1012"), Qt::LeftButton);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Corrupt command. Please check the data!");
    EXPECT_EQ(dialogs.shown[0].caption, "Error in data");
    EXPECT_EQ(dialogs.shown[0].icon, DialogService::Icon::Error);
    EXPECT_EQ(console.messages(CD_SAVE_COMMAND).size(), 1u);
}

TEST_F(Vx31Form, LongStoredCommandIsShownWholeAndRefusedAtSave) {
    std::string text = "FE 81 00 01";
    for (int i = 0; i < 129; ++i)
        text += " 01";
    load(text + " 81");
    EXPECT_EQ(data->text().size(), 129 * 3 - 1); // beyond the 384 a user can type
    QTest::mouseClick(child<QPushButton>(form, "1012"), Qt::LeftButton);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Please enter no more than 384 characters.");
    EXPECT_EQ(dialogs.shown[0].caption, texts::APP_TITLE);
    EXPECT_TRUE(console.messages(CD_SAVE_COMMAND).empty());
}

TEST_F(Vx31Form, ButtonsFollowTheStateTable) {
    auto* save = child<QPushButton>(form, "1012");
    auto* transmit = child<QPushButton>(form, "1013");
    auto* activate = child<QPushButton>(form, "1014");
    // Before any command: the form composes (Save makes a command); Transmit waits for a port.
    EXPECT_TRUE(save->isEnabled());
    EXPECT_FALSE(transmit->isEnabled());
    EXPECT_FALSE(data->isReadOnly());

    load("FE 02 00 01 11 22 30");
    EXPECT_TRUE(save->isEnabled());
    EXPECT_FALSE(transmit->isEnabled());
    EXPECT_FALSE(activate->isEnabled());
    EXPECT_FALSE(data->isReadOnly());

    load("FE 02 00 01 11 22 30", true);
    EXPECT_TRUE(transmit->isEnabled());
    EXPECT_TRUE(activate->isEnabled());

    // Transmit sends what the fields show, with Length and Checksum shown for it.
    data->setText("33 44");
    QTest::mouseClick(transmit, Qt::LeftButton);
    ASSERT_EQ(console.messages(CD_SEND_FRAME).size(), 1u);
    EXPECT_EQ(console.messages(CD_SEND_FRAME)[0].bytes,
              (std::vector<std::uint8_t>{0xFE, 0x02, 0x00, 0x01, 0x33, 0x44, 0x74}));
    EXPECT_EQ(child(form, "1009")->text(), "74");
    EXPECT_TRUE(console.messages(CD_SAVE_COMMAND).empty());

    // A folder: the texts stay and the form keeps working; Enter there saves (the tree then
    // makes a new command of it).
    load("", true);
    EXPECT_TRUE(save->isEnabled());
    EXPECT_TRUE(transmit->isEnabled());
    EXPECT_FALSE(data->isReadOnly());
    EXPECT_EQ(child(form, "1008")->text(), "00 01");
    QTest::keyClick(data, Qt::Key_Return);
    EXPECT_EQ(console.messages(CD_SAVE_COMMAND).size(), 1u);
}

TEST_F(Vx31Form, TimerSendsAtThePeriodUntilDeactivated) {
    load("FE 02 00 01 11 22 30", true);
    auto* activate = child<QPushButton>(form, "1014");
    child(form, "1022")->setText("100");
    QTest::mouseClick(activate, Qt::LeftButton);
    ASSERT_EQ(console.messages(CD_TOGGLE_PERIODIC).size(), 1u);
    EXPECT_EQ(activate->text(), "Deactivate");
    EXPECT_TRUE(activate->isFlat());
    EXPECT_EQ(form.periodicTimerId(), CPacketViewDlg::PERIODIC_TIMER_ID);
    EXPECT_FALSE(child<QPushButton>(form, "1012")->isEnabled());
    EXPECT_TRUE(data->isReadOnly());

    // Loads from the tree are ignored meanwhile.
    form.LoadFrameText("FE 00 00 02 02");
    EXPECT_EQ(data->text(), "11 22");

    ASSERT_TRUE(waitUntil([&] { return console.messages(CD_SEND_FRAME).size() >= 3; }));
    for (const auto& sent : console.messages(CD_SEND_FRAME))
        EXPECT_EQ(sent.bytes.size(), 7u);

    QTest::mouseClick(activate, Qt::LeftButton);
    EXPECT_EQ(console.messages(CD_TOGGLE_PERIODIC).size(), 2u);
    EXPECT_EQ(activate->text(), "Activate");
    EXPECT_FALSE(activate->isFlat());
    EXPECT_EQ(form.periodicTimerId(), 0);
    const std::size_t sent = console.messages(CD_SEND_FRAME).size();
    QTest::qWait(350);
    EXPECT_EQ(console.messages(CD_SEND_FRAME).size(), sent);
}

TEST_F(Vx31Form, PeriodRefusals) {
    load("FE 02 00 01 11 22 30", true);
    auto* activate = child<QPushButton>(form, "1014");
    QTest::mouseClick(activate, Qt::LeftButton);
    child(form, "1022")->setText("99");
    QTest::mouseClick(activate, Qt::LeftButton);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].text, "No period defined");
    EXPECT_EQ(dialogs.shown[1].text, "Period to small. Please choose more than 100 ms");
    EXPECT_EQ(dialogs.shown[1].caption, texts::APP_TITLE);
    EXPECT_EQ(form.periodicTimerId(), 0);
    EXPECT_TRUE(console.messages(CD_TOGGLE_PERIODIC).empty());
}

TEST_F(Vx31Form, DataStretchesAndChecksumStaysAtTheRightEdge) {
    form.resize(900, form.height());
    EXPECT_EQ(data->geometry(), QRect(170, 24, 900 - 87 - 170, 23));
    EXPECT_EQ(child(form, "1009")->geometry(), QRect(900 - 72, 24, 24, 23));
    auto* label = child<QLabel>(form, "1026");
    EXPECT_EQ(label->geometry().topLeft(), QPoint(900 - 82, 6));
    EXPECT_EQ(label->height(), 13);
}

TEST(ComposerShortcuts, FileSaveIsSwallowedWhileTheComposerHasTheFocus) {
    RecordingEndpoint console;
    QMainWindow frame;
    auto* fileSave = new QAction(&frame);
    fileSave->setShortcut(QKeySequence::Save);
    frame.addAction(fileSave);
    QSignalSpy saved(fileSave, &QAction::triggered);
    auto* holder = new QWidget;
    auto* form = new CVX3xPacketViewDlg(holder);
    auto* elsewhere = new QLineEdit(holder);
    elsewhere->move(0, 200);
    frame.setCentralWidget(holder);
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));

    form->SetTargetWindow(&console);
    form->LoadFrameText("FE 02 00 01 11 22 30");
    QLineEdit* data = child(*form, "1007");
    data->setFocus();
    QTest::keyClick(data, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saved.count(), 0);
    EXPECT_TRUE(form->handleCommand(CPacketViewDlg::ID_FILE_SAVE));
    EXPECT_TRUE(console.messages(CD_SAVE_COMMAND).empty());

    // The same key outside the composer reaches the document's Save.
    elsewhere->setFocus();
    QTest::keyClick(elsewhere, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saved.count(), 1);
}

TEST(Vm77Form, RawFormAndCmdField) {
    RecordingDialogs dialogs;
    RecordingEndpoint console;
    CVM77PacketViewDlg form;
    form.SetTargetWindow(&console);
    form.SetPortOpen(true);
    form.show();
    form.LoadFrameText("FF 01 02 11 22 CF");
    auto* cmd = child(form, "1019");
    EXPECT_EQ(cmd->text(), "01");
    EXPECT_EQ(child(form, "1018")->text(), "02");
    EXPECT_EQ(child(form, "1021")->text(), "CF");

    // The Cmd field checks characters but inserts no spaces.
    cmd->setText("");
    cmd->setFocus();
    QTest::keyClicks(cmd, "0x");
    EXPECT_EQ(cmd->text(), "0");
    ASSERT_EQ(dialogs.shown.size(), 1u);

    cmd->setText("");
    QTest::mouseClick(child<QPushButton>(form, "1015"), Qt::LeftButton);
    EXPECT_EQ(console.messages(CD_SAVE_COMMAND).at(0).text(), "@02 11 22");
    EXPECT_EQ(child(form, "1017")->text(), "");
    EXPECT_EQ(child(form, "1021")->text(), "");
    QTest::mouseClick(child<QPushButton>(form, "1016"), Qt::LeftButton);
    const std::vector<std::uint8_t> raw = {0x02, 0x11, 0x22};
    EXPECT_EQ(console.messages(CD_SEND_FRAME).at(0).bytes, raw);
}

TEST(Vm77Form, OversizedStoredFrameIsNotSent) {
    RecordingDialogs dialogs;
    RecordingEndpoint console;
    CVM77PacketViewDlg form;
    form.SetTargetWindow(&console);
    form.SetPortOpen(true);
    std::string text = "@FC";
    for (int i = 0; i < 252; ++i)
        text += " 01"; // 253 bytes with the length byte
    form.LoadFrameText(text);
    QTest::mouseClick(child<QPushButton>(form, "1016"), Qt::LeftButton);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Frame too long. Please check the data!");
    EXPECT_EQ(dialogs.shown[0].caption, "Error in data");
    EXPECT_TRUE(console.messages(CD_SEND_FRAME).empty());
}
