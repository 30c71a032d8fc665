#include "core/textwnd/TextViewport.h"

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

TEST(TextViewport, HorizontalActionsStayWithinTheLongestLine) {
    TextViewport v = view();
    const int longest = 100;
    EXPECT_EQ(v.horizontalBar(longest).maximum, 70);
    v.scrollHorizontally(Scroll::PageForward, 0, longest);
    EXPECT_EQ(v.firstColumn(), 23); // 31 whole cells * 3 / 4
    v.scrollHorizontally(Scroll::Thumb, 95, longest);
    EXPECT_EQ(v.firstColumn(), 70);
    EXPECT_FALSE(v.scrollHorizontally(Scroll::LineForward, 0, longest));
    v.scrollHorizontally(Scroll::ToStart, 0, longest);
    EXPECT_FALSE(v.scrollHorizontally(Scroll::LineBack, 0, longest));
    v.scrollHorizontally(Scroll::ToEnd, 0, longest);
    EXPECT_EQ(v.firstColumn(), 70);
    EXPECT_FALSE(v.horizontalBar(30).needed);
}

TEST(TextViewport, WheelNotchesAwayAddUpAndTouchpadStepsMakeNotches) {
    TextViewport v = view();
    const int lines = 100;
    v.scrollVertically(Scroll::Thumb, 30, lines);
    EXPECT_TRUE(v.wheel(240, lines)); // two notches away from the user: 10 lines
    EXPECT_EQ(v.firstLine(), 20);
    EXPECT_FALSE(v.wheel(40, lines));
    EXPECT_TRUE(v.wheel(40, lines));
    EXPECT_EQ(v.firstLine(), 15);
    EXPECT_FALSE(v.wheel(-50, lines)); // nothing is left over from the steps that scrolled
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
    // A text that fits leaves the view alone.
    TextViewport small = view();
    small.EnsureCaretVisible(TextPos{0, 9}, 10, vertical, horizontal);
    EXPECT_FALSE(vertical);
}

TEST(TextViewport, HitTestingFollowsTheScrollOrigin) {
    TextViewport v = view();
    v.setOrigin(4, 10);
    // Cell 6 (the third visible one) spans x = 26 .. 33.
    EXPECT_EQ(v.columnAtPress(29), 6);
    EXPECT_EQ(v.columnAtPress(30), 7);
    EXPECT_EQ(v.columnAtDrag(29, 10), 6);
    EXPECT_EQ(v.columnAtDrag(33, 40), 6);
    EXPECT_EQ(v.lineAt(35), 13);
    EXPECT_EQ(v.caretX(4), 9);
    EXPECT_EQ(v.lineTop(12), 20);
}

} // namespace
