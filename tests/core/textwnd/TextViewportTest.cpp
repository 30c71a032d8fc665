#include "textwnd/TextViewport.h"

#include <gtest/gtest.h>

using tovan::TextPos;
using tovan::TextViewport;
using Scroll = TextViewport::Scroll;

namespace {

// 20 lines of 10 pixels, 30 cells of 8 pixels (less the margin and one partial cell).
TextViewport view() {
    TextViewport v;
    v.setCellSize(8, 10);
    v.setClientSize(250, 200);
    return v;
}

TEST(TextViewport, ScrollBarsCoverTheTextWithAPageOfVisibleLines) {
    TextViewport v = view();
    EXPECT_EQ(v.visibleColumns(), 30);
    auto bar = v.verticalBar(5);
    EXPECT_FALSE(bar.needed);
    EXPECT_EQ(bar.maximum, 0);
    EXPECT_EQ(bar.page, 5);

    bar = v.verticalBar(1002);
    EXPECT_TRUE(bar.needed);
    EXPECT_EQ(bar.page, 20);
    EXPECT_EQ(bar.maximum, 982); // the last page starts there

    auto hbar = v.horizontalBar(61);
    EXPECT_TRUE(hbar.needed);
    EXPECT_EQ(hbar.page, 30);
    EXPECT_EQ(hbar.maximum, 31);
    EXPECT_FALSE(v.horizontalBar(30).needed);
}

TEST(TextViewport, VerticalActions) {
    TextViewport v = view();
    const int lines = 100;
    EXPECT_FALSE(v.scrollVertically(Scroll::LineBack, 0, lines));
    EXPECT_TRUE(v.scrollVertically(Scroll::LineForward, 0, lines));
    EXPECT_EQ(v.firstLine(), 1);
    v.scrollVertically(Scroll::PageForward, 0, lines);
    EXPECT_EQ(v.firstLine(), 16);
    v.scrollVertically(Scroll::PageBack, 0, lines);
    v.scrollVertically(Scroll::PageBack, 0, lines);
    EXPECT_EQ(v.firstLine(), 0);
    v.scrollVertically(Scroll::ToEnd, 0, lines);
    EXPECT_EQ(v.firstLine(), 80);
    EXPECT_FALSE(v.scrollVertically(Scroll::LineForward, 0, lines));
    // Page down has no upper limit: the view may show nothing until the next scroll.
    v.scrollVertically(Scroll::PageForward, 0, lines);
    v.scrollVertically(Scroll::PageForward, 0, lines);
    EXPECT_EQ(v.firstLine(), 110);
    EXPECT_EQ(v.lastVisibleLine(lines), 100);
    v.scrollVertically(Scroll::Thumb, 500, lines);
    EXPECT_EQ(v.firstLine(), 100);
    v.scrollVertically(Scroll::ToStart, 0, lines);
    EXPECT_EQ(v.firstLine(), 0);
}

TEST(TextViewport, HorizontalActions) {
    TextViewport v = view();
    const int longest = 100;
    v.scrollHorizontally(Scroll::PageForward, 0, longest);
    EXPECT_EQ(v.firstColumn(), 23); // 31 whole cells * 3 / 4
    v.scrollHorizontally(Scroll::Thumb, 95, longest);
    EXPECT_EQ(v.firstColumn(), 70);
    EXPECT_FALSE(v.scrollHorizontally(Scroll::LineForward, 0, longest));
    v.scrollHorizontally(Scroll::ToStart, 0, longest);
    EXPECT_FALSE(v.scrollHorizontally(Scroll::LineBack, 0, longest));
    v.scrollHorizontally(Scroll::ToEnd, 0, longest);
    EXPECT_EQ(v.firstColumn(), 70);
}

TEST(TextViewport, WheelMovesFiveLinesANotchWithinTheText) {
    TextViewport v = view();
    const int lines = 100;
    v.wheel(-120, lines);
    EXPECT_EQ(v.firstLine(), 5);
    v.wheel(-240, lines); // two notches towards the user: still 5 lines
    EXPECT_EQ(v.firstLine(), 10);
    v.wheel(120, lines);
    EXPECT_EQ(v.firstLine(), 5);
    EXPECT_TRUE(v.wheel(240, lines)); // two notches away: 10 lines, held at the top
    EXPECT_EQ(v.firstLine(), 0);
    EXPECT_FALSE(v.wheel(120, lines));

    v.scrollVertically(Scroll::ToEnd, 0, lines);
    EXPECT_FALSE(v.wheel(-120, lines));
    EXPECT_EQ(v.firstLine(), 80);

    // Small touchpad steps add up to a notch.
    EXPECT_FALSE(v.wheel(40, lines));
    EXPECT_TRUE(v.wheel(40, lines));
    EXPECT_EQ(v.firstLine(), 75);
}

TEST(TextViewport, CaretIsKeptInView) {
    TextViewport v = view();
    bool vertical = false;
    bool horizontal = false;
    v.EnsureCaretVisible(TextPos{0, 25}, 100, vertical, horizontal);
    EXPECT_TRUE(vertical);
    EXPECT_EQ(v.firstLine(), 6);
    v.EnsureCaretVisible(TextPos{0, 3}, 100, vertical, horizontal);
    EXPECT_EQ(v.firstLine(), 3);
    v.EnsureCaretVisible(TextPos{40, 3}, 100, vertical, horizontal);
    EXPECT_FALSE(vertical);
    EXPECT_TRUE(horizontal);
    EXPECT_EQ(v.firstColumn(), 17);
    v.EnsureCaretVisible(TextPos{10, 3}, 100, vertical, horizontal);
    EXPECT_EQ(v.firstColumn(), 3);
}

TEST(TextViewport, PressRoundsToTheNearestBoundaryAndDragsRoundByDirection) {
    TextViewport v = view();
    // Cell 2 spans x = 26 .. 33.
    EXPECT_EQ(v.columnAtPress(29), 2);
    EXPECT_EQ(v.columnAtPress(30), 3);
    const int pressX = 10;
    EXPECT_EQ(v.columnAtDrag(29, pressX), 2); // right: up to the left edge of the cell
    EXPECT_EQ(v.columnAtDrag(26, pressX), 2);
    EXPECT_EQ(v.columnAtDrag(29, 40), 2); // left: the cell under the pointer is included
    EXPECT_EQ(v.columnAtDrag(33, 40), 2);
    EXPECT_EQ(v.lineAt(35), 3);
    v.setOrigin(4, 10);
    EXPECT_EQ(v.columnAtPress(29), 6);
    EXPECT_EQ(v.lineAt(35), 13);
    EXPECT_EQ(v.caretX(4), 9);
}

} // namespace
