#include "tests/gui/textwnd/TrafficWindowFixture.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>

using namespace tovan;

namespace {

TEST_F(TrafficWindowTest, ReadOnlyWindowIgnoresEditsButCopies) {
    window->AddLine("\nhello world", 0x0025C8);
    window->SetReadOnly(true);
    window->SetSelection(0, 1, 5, 1);
    QGuiApplication::clipboard()->setText("pasted");
    QSignalSpy changes(window.get(), &ColorEditWnd::changed);

    QTest::keyClicks(window.get(), "xy");
    QTest::keyClick(window.get(), Qt::Key_Tab);
    QTest::keyClick(window.get(), Qt::Key_Return);
    QTest::keyClick(window.get(), Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_V, Qt::ControlModifier);
    window->SetSelection(0, 1, 5, 1);
    window->runCommand(coloredit::ID_EDIT_CUT);
    QTest::keyClick(window.get(), Qt::Key_Delete);
    window->SetSelection(6, 1, 6, 1);
    QTest::keyClick(window.get(), Qt::Key_Backspace);
    EXPECT_EQ(window->model().lineCount(), 2);
    EXPECT_EQ(text(1), "hello world");
    EXPECT_EQ(changes.count(), 0);

    window->SetSelection(0, 1, 5, 1);
    QTest::keyClick(window.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "hello");
}

TEST_F(TrafficWindowTest, EnterAndCtrlEnterInsertLineBreaks) {
    QSignalSpy changes(window.get(), &ColorEditWnd::changed);
    QTest::keyClicks(window.get(), "ab");
    QTest::keyClick(window.get(), Qt::Key_Return);
    QTest::keyClicks(window.get(), "cd");
    QTest::keyClick(window.get(), Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_Tab);
    QTest::keyClicks(window.get(), "e");
    ASSERT_EQ(window->model().lineCount(), 3);
    EXPECT_EQ(text(0), "ab");
    EXPECT_EQ(text(1), "cd");
    EXPECT_EQ(text(2), "    e");
    EXPECT_EQ(changes.count(), 8);
    EXPECT_EQ(changes.front().front().toInt(), 1100);

    // A selection is dropped by the Backspace key, not the text before it.
    window->SetSelection(1, 2, 5, 2);
    QTest::keyClick(window.get(), Qt::Key_Backspace);
    EXPECT_EQ(text(2), " ");
}

TEST_F(TrafficWindowTest, DraggingRightStopsBeforeThePointerCellDraggingLeftIncludesIt) {
    window->AddLine("\nabcdefghij", 0);
    drag(cellPoint(1, 1, 0.0), cellPoint(4, 1, 0.6));
    EXPECT_EQ(window->model().SelectedText(), "bcd");

    drag(cellPoint(8, 1, 0.0), cellPoint(4, 1, 0.4));
    EXPECT_EQ(window->model().SelectedText(), "efgh");

    // A press rounds to the nearer boundary; Shift keeps the anchor.
    QTest::mouseClick(area(), Qt::LeftButton, {}, cellPoint(2, 1, 0.7));
    EXPECT_EQ(window->model().caret(), (TextPos{3, 1}));
    QTest::mouseClick(area(), Qt::LeftButton, Qt::ShiftModifier, cellPoint(6, 1, 0.2));
    EXPECT_EQ(window->model().SelectedText(), "def");

    // Beyond the last line and left of the text the point is clamped.
    drag(cellPoint(5, 1, 0.0), QPoint(0, 290));
    EXPECT_EQ(window->model().caret(), (TextPos{0, 1}));
}

TEST_F(TrafficWindowTest, DoubleClickSelectsAWord) {
    window->AddLine("\nFE 03 01", 0);
    QTest::mouseDClick(area(), Qt::LeftButton, {}, cellPoint(4, 1, 0.3));
    EXPECT_EQ(window->model().SelectedText(), "03");
    QTest::mouseDClick(area(), Qt::LeftButton, {}, cellPoint(2, 1, 0.3));
    EXPECT_EQ(window->model().SelectedText(), " ");
}

TEST_F(TrafficWindowTest, ContextMenuEnablesCommandsByState) {
    auto states = [&] {
        std::unique_ptr<QMenu> menu(window->createContextMenu());
        QStringList entries;
        for (QAction* action : menu->actions())
            entries << (action->isSeparator() ? QStringLiteral("-")
                                              : action->text() + (action->isEnabled() ? "+" : ""));
        return entries.join(' ');
    };
    window->AddLine("\nabc", 0);
    EXPECT_EQ(states(), "Undo Redo - Cut &Copy Paste - Select &All+");

    window->SetSelection(0, 1, 2, 1);
    QGuiApplication::clipboard()->setText("x");
    EXPECT_EQ(states(), "Undo Redo - Cut+ &Copy+ Paste+ - Select &All+");

    // Ctrl+Y (Redo) never does anything; Select All from the menu selects everything.
    QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(window->model().SelectedText(), "ab");
    EXPECT_TRUE(window->runCommand(coloredit::ID_EDIT_SELECT_ALL));
    EXPECT_EQ(window->model().SelectedText(), "\r\nabc");
}

TEST_F(TrafficWindowTest, ClipboardCarriesCrLfLineEnds) {
    window->AddLine("\nfirst\nsecond", 0);
    window->SetSelection(2, 1, 3, 2);
    QTest::keyClick(window.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "rst\r\nsec");

    QSignalSpy changes(window.get(), &ColorEditWnd::changed);
    window->runCommand(coloredit::ID_EDIT_CUT);
    EXPECT_EQ(text(1), "fiond");
    QGuiApplication::clipboard()->setText(QString::fromUtf8("A\r\nB\u00e9\u20ac"));
    QTest::keyClick(window.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(text(1), "fiA");
    EXPECT_EQ(text(2), "B\xE9?ond"); // é is Latin-1; the euro sign is not
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(TrafficWindowTest, CaretExistsOnlyWithTheFocus) {
    QSignalSpy gained(window.get(), &ColorEditWnd::focusGained);
    QSignalSpy lost(window.get(), &ColorEditWnd::focusLost);
    EXPECT_TRUE(window->isCaretShown());
    window->setObjectName("pane 0 0"); // the id in notifications stays the one given

    auto* other = new QLineEdit(window.get());
    other->show();
    other->setFocus();
    EXPECT_FALSE(window->isCaretShown());
    window->AddLine("\nabc", 0);
    EXPECT_FALSE(window->isCaretShown());
    window->setFocus();
    EXPECT_TRUE(window->isCaretShown());
    ASSERT_EQ(lost.count(), 1);
    EXPECT_EQ(lost.front().front().toInt(), 1100);
    ASSERT_EQ(gained.count(), 1);
    EXPECT_EQ(gained.front().front().toInt(), 1100);
}

TEST_F(TrafficWindowTest, AddedCharacterSpacingIsLostWhenShownAgain) {
    const int width = view().cellWidth();
    EXPECT_GT(width, 4);
    EXPECT_GT(view().lineHeight(), 8);
    window->AddCharSpacing(1);
    window->AddCharSpacing(-3);
    EXPECT_EQ(view().cellWidth(), width + 1);
    window->hide();
    window->show();
    EXPECT_EQ(view().cellWidth(), width);
}

} // namespace
