// What the screen shows is what goes on the wire: fields edited without Save, sent with the
// Transmit button, a double-click on a command and periodic ticks, read back on the other side
// of a pseudo-terminal for both families; a command made by Save with nothing selected.
#include "core/frames/FrameBuilder.h"
#include "gui/composer/CPacketViewDlg.h"
#include "gui/console/CSplitterViewVM77.h"
#include "gui/console/CVX3xSplitterView.h"
#include "gui/tree/CControlTreeView.h"
#include "tests/support/PtyPair.h"
#include "tests/support/RecordingDialogs.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tovan;
using namespace tovan::test;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The controls of a family's composer, by their ids.
struct FormIds {
    const char* command;
    const char* data;
    const char* save;
    const char* transmit;
    const char* period;
    const char* activate;
};
constexpr FormIds VX31_FORM{"1008", "1007", "1012", "1013", "1022", "1014"};
constexpr FormIds VM77_FORM{"1019", "1020", "1015", "1016", "1023", "1024"};

template <typename Console>
struct ConsoleOnWire {
    explicit ConsoleOnWire(const FormIds& form) : ids(form) {
        area.resize(1000, 700);
        area.show();
        console = new Console;
        area.addSubWindow(console);
        console->showMaximized();
        PortSettings settings = console->console().state().port;
        settings.portName = pty.slavePath();
        console->console().setPortSettings(settings);
        console->console().openPort();
        QTest::qWait(50);
    }
    template <typename T = QLineEdit>
    T* control(const char* id) const {
        return console->composer()->template findChild<T*>(QString::fromLatin1(id));
    }
    void type(const char* id, const char* text) {
        QLineEdit* field = control(id);
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, QString::fromLatin1(text));
    }
    void click(const char* id) { QTest::mouseClick(control<QPushButton>(id), Qt::LeftButton); }
    Bytes wire(std::size_t count) { return pty.read(count, 3000); }

    RecordingDialogs dialogs;
    PtyPair pty;
    QMdiArea area;
    Console* console = nullptr;
    const FormIds& ids;
};

template <typename Console>
void checkWireEqualsScreen(const FormIds& ids, const char* command, const Bytes& edited,
                           const Bytes& stored, const Bytes& repeated) {
    ConsoleOnWire<Console> c(ids);
    ASSERT_TRUE(c.console->console().portOpen());

    // Nothing selected: the form composes and sends, and Save makes a command of it.
    c.type(ids.command, command);
    c.type(ids.data, "AA BB CC");
    c.click(ids.transmit);
    EXPECT_EQ(c.wire(edited.size()), edited);
    c.dialogs.typedTexts.push_back("Stored");
    c.click(ids.save);
    ASSERT_EQ(c.console->tree()->selectedItem()->text(0), QStringLiteral("Stored"));

    // Edited after Save: the button sends the fields, not the stored frame.
    c.type(ids.data, "11 22");
    c.click(ids.transmit);
    EXPECT_EQ(c.wire(stored.size()), stored);

    // A double-click sends the command as stored, and the form shows it first.
    CControlTreeView& tree = *c.console->tree();
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier,
                       tree.visualItemRect(tree.selectedItem()).center());
    EXPECT_EQ(c.wire(edited.size()), edited);
    EXPECT_EQ(c.control(ids.data)->text(), QStringLiteral("AA BB CC"));

    // Periodic ticks repeat what the fields show when Activate is pressed.
    c.type(ids.data, "11 22 33");
    c.type(ids.period, "100");
    c.click(ids.activate);
    QTest::qWait(350); // the ticks run on the window's thread
    const Bytes ticks = c.wire(2 * repeated.size());
    ASSERT_GE(ticks.size(), 2 * repeated.size());
    ASSERT_EQ(ticks.size() % repeated.size(), 0u);
    for (std::size_t at = 0; at < ticks.size(); at += repeated.size())
        EXPECT_EQ(Bytes(ticks.begin() + static_cast<long>(at),
                        ticks.begin() + static_cast<long>(at + repeated.size())),
                  repeated);
    c.click(ids.activate);
}

} // namespace

TEST(WireEqualsScreen, VX31ButtonDoubleClickAndPeriodicTicks) {
    checkWireEqualsScreen<CVX3xSplitterView>(
        VX31_FORM, "01 00", frame::buildVx31Frame(0x01, 0x00, {0xAA, 0xBB, 0xCC}),
        frame::buildVx31Frame(0x01, 0x00, {0x11, 0x22}),
        frame::buildVx31Frame(0x01, 0x00, {0x11, 0x22, 0x33}));
}

TEST(WireEqualsScreen, VM77ButtonDoubleClickAndPeriodicTicks) {
    checkWireEqualsScreen<CSplitterViewVM77>(
        VM77_FORM, "05", frame::buildVm77Frame(0x05, {0xAA, 0xBB, 0xCC}),
        frame::buildVm77Frame(0x05, {0x11, 0x22}), frame::buildVm77Frame(0x05, {0x11, 0x22, 0x33}));
}
