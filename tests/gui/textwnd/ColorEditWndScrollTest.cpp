#include "tests/gui/textwnd/TrafficWindowFixture.h"

#include <QScrollBar>

using namespace tovan;

namespace {

TEST_F(TrafficWindowTest, ScrollBarsCoverTheTextAfterManyLines) {
    addNumberedLines(1200);
    window->AddLine("\n" + std::string(120, 'x'), 0);
    settle();
    const int count = window->model().lineCount();
    const int page = view().visibleLinesFull();
    ASSERT_EQ(count, 1001);
    QScrollBar* vertical = window->verticalScrollBar();
    EXPECT_TRUE(vertical->isEnabled());
    EXPECT_EQ(vertical->minimum(), 0);
    EXPECT_EQ(vertical->maximum(), count - page);
    EXPECT_EQ(vertical->pageStep(), page);
    QScrollBar* horizontal = window->horizontalScrollBar();
    EXPECT_EQ(horizontal->maximum(), 120 - view().visibleColumns());
    EXPECT_EQ(horizontal->pageStep(), view().visibleColumns());

    window->Reset();
    settle();
    EXPECT_EQ(vertical->maximum(), 0);
    EXPECT_FALSE(vertical->isEnabled());
}

TEST_F(TrafficWindowTest, ScrollBarActionsMoveTheView) {
    addNumberedLines(100);
    settle();
    QScrollBar* bar = window->verticalScrollBar();
    const int count = window->model().lineCount();
    const int page = view().visibleLines(count);

    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(view().firstLine(), 1);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(view().firstLine(), 0);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(view().firstLine(), count - page);
    EXPECT_EQ(bar->value(), count - page);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(view().firstLine(), 0);
    bar->setSliderPosition(40); // dragging the thumb
    EXPECT_EQ(view().firstLine(), 40);
    EXPECT_EQ(bar->value(), 40);

    // Page down has no upper limit: the view runs past the last line and shows nothing,
    // while the bar stays at its end. The next line up comes back from there.
    for (int i = 0; i < 10; ++i)
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(view().firstLine(), 40 + 10 * (page * 3 / 4));
    EXPECT_GT(view().firstLine(), count);
    EXPECT_EQ(bar->value(), bar->maximum());
    const int past = view().firstLine();
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(view().firstLine(), past - 1);
}

TEST_F(TrafficWindowTest, WheelScrollsFiveLinesANotchWithinTheText) {
    addNumberedLines(100);
    const int count = window->model().lineCount();
    const int page = view().visibleLines(count);
    wheel(-120);
    EXPECT_EQ(view().firstLine(), 5);
    wheel(-240);
    EXPECT_EQ(view().firstLine(), 10);
    wheel(120);
    EXPECT_EQ(view().firstLine(), 5);
    wheel(120);
    wheel(120);
    EXPECT_EQ(view().firstLine(), 0);
    wheel(-120, Qt::ControlModifier);
    wheel(-120, Qt::ShiftModifier);
    EXPECT_EQ(view().firstLine(), 0);
    for (int i = 0; i < 40; ++i)
        wheel(-120);
    EXPECT_EQ(view().firstLine(), count - page);
    settle();
    EXPECT_EQ(window->verticalScrollBar()->value(), count - page);
}

TEST_F(TrafficWindowTest, KeysMoveTheCaretAndKeepItInView) {
    addNumberedLines(100);
    const int page = view().visibleLines(window->model().lineCount());
    // AddLine leaves the caret after the entry: (0, 2). Line k holds the number 100 - k.
    const int target = 2 + page;
    QTest::keyClick(window.get(), Qt::Key_PageDown);
    EXPECT_EQ(window->model().caret().line, target);
    EXPECT_EQ(view().firstLine(), target);
    QTest::keyClick(window.get(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(window.get(), Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(window->model().anchor(), (TextPos{0, target}));
    EXPECT_EQ(window->model().caret(), (TextPos{2, target + 1}));
    QTest::keyClick(window.get(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(window->model().caret(), (TextPos{1, 100}));
    EXPECT_FALSE(window->model().HasSelection());
    EXPECT_GE(100, view().firstLine());
    EXPECT_LT(100, view().firstLine() + page);
    QTest::keyClick(window.get(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view().firstLine(), 0);
}

// Scrolled away from the newest entry, the user keeps reading the same lines while entries
// come in above them; at the top the newest shows as it comes.
TEST_F(TrafficWindowTest, AddLineKeepsTheLinesBeingReadInView) {
    addNumberedLines(100);
    wheel(-120);
    const std::string reading = text(view().firstLine());
    window->AddLine("\nnew", 0);
    EXPECT_EQ(view().firstLine(), 6); // five lines down, and one line came in above
    EXPECT_EQ(text(view().firstLine()), reading);
    EXPECT_EQ(text(1), "new");

    wheel(120 * 3);
    ASSERT_EQ(view().firstLine(), 0);
    window->AddLine("\nnewer", 0);
    EXPECT_EQ(view().firstLine(), 0);
    EXPECT_EQ(text(1), "newer");
}

} // namespace
