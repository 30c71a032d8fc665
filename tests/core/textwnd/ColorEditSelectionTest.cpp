#include "core/textwnd/ColorEditModel.h"
#include "tests/core/textwnd/ModelText.h"
#include "tests/core/textwnd/RecordingHooks.h"

#include <gtest/gtest.h>

using tovan::ColorEditModel;
using tovan::TextPos;
using Lines = std::vector<std::string>;

namespace {

TEST(ColorEditSelection, SetSelectionClampsBothPointsIntoTheText) {
    ColorEditModel model(4);
    model.SetSelection(0, 0, 10, 40); // what a console does to its fresh window
    EXPECT_EQ(model.caret(), TextPos{});
    EXPECT_FALSE(model.HasSelection());

    fill(model, {"abc", "de"});
    model.SetSelection(-3, -1, 9, 1);
    EXPECT_EQ(model.anchor(), (TextPos{0, 0}));
    EXPECT_EQ(model.caret(), (TextPos{2, 1}));
}

TEST(ColorEditSelection, BackwardSelectionSelectsCopiesAndDeletesLikeForward) {
    const Lines text{"first line", "middle", "last line"};
    for (bool backward : {false, true}) {
        ColorEditModel model(4);
        fill(model, text);
        if (backward)
            model.SetSelection(4, 2, 6, 0);
        else
            model.SetSelection(6, 0, 4, 2);
        EXPECT_EQ(model.SelectedText(), "line\r\nmiddle\r\nlast");
        EXPECT_FALSE(model.IsSelected(5, 0));
        EXPECT_TRUE(model.IsSelected(6, 0));
        EXPECT_TRUE(model.IsSelected(0, 1));
        EXPECT_TRUE(model.IsSelected(3, 2));
        EXPECT_FALSE(model.IsSelected(4, 2));
        model.DeleteSelection();
        EXPECT_EQ(linesOf(model), (Lines{"first  line"}));
        EXPECT_EQ(model.caret(), (TextPos{6, 0}));
        EXPECT_EQ(model.anchor(), model.caret());

        fill(model, text);
        if (backward)
            model.SetSelection(5, 1, 1, 1);
        else
            model.SetSelection(1, 1, 5, 1);
        EXPECT_EQ(model.SelectedText(), "iddl");
        model.DeleteSelection();
        EXPECT_EQ(linesOf(model)[1], "me");
        EXPECT_EQ(model.caret(), (TextPos{1, 1}));
    }
}

TEST(ColorEditSelection, SelectAllEndsAtTheEndOfTheLastLine) {
    ColorEditModel model(4);
    fill(model, {"ab", "cde"});
    model.SelectAll();
    EXPECT_EQ(model.anchor(), TextPos{});
    EXPECT_EQ(model.caret(), (TextPos{3, 1}));
    EXPECT_EQ(model.SelectedText(), "ab\r\ncde");
}

TEST(ColorEditSelection, WordAtAPoint) {
    ColorEditModel model(4);
    fill(model, {"ab cd,ef", "xy "});
    auto selectedAt = [&](int column, int line) {
        model.selectWordAt(column, line);
        return model.SelectedText();
    };
    EXPECT_EQ(selectedAt(4, 0), "cd");
    EXPECT_EQ(model.caret(), (TextPos{3, 0})); // caret at the start, anchor at the end
    EXPECT_EQ(model.anchor(), (TextPos{5, 0}));
    EXPECT_EQ(selectedAt(0, 0), "ab");
    EXPECT_EQ(selectedAt(2, 0), " ");   // a space selects just itself
    EXPECT_EQ(selectedAt(5, 0), ",");   // so does a punctuation mark
    EXPECT_EQ(selectedAt(40, 0), "ef"); // beyond the end: the last word
    EXPECT_EQ(selectedAt(40, 1), "");   // beyond a line ending in a space: nothing
    EXPECT_EQ(selectedAt(1, 9), "xy");  // the line is clamped too
}

TEST(ColorEditSelection, HorizontalMovesAtLineAndTextEdges) {
    ColorEditModel model(4);
    fill(model, {"ab", "c"});
    model.moveLeft();
    EXPECT_EQ(model.caret(), TextPos{});
    model.SetSelection(0, 1, 0, 1);
    model.moveLeft();
    EXPECT_EQ(model.caret(), (TextPos{2, 0}));
    model.moveRight();
    EXPECT_EQ(model.caret(), (TextPos{0, 1}));
    model.moveRight();
    model.moveRight(); // end of the last line: stays
    EXPECT_EQ(model.caret(), (TextPos{1, 1}));
    model.moveHome(false);
    EXPECT_EQ(model.caret(), (TextPos{0, 1}));
    model.moveEnd(false);
    EXPECT_EQ(model.caret(), (TextPos{1, 1}));
    model.moveHome(true);
    EXPECT_EQ(model.caret(), TextPos{});
    model.moveEnd(true);
    EXPECT_EQ(model.caret(), (TextPos{1, 1}));
}

TEST(ColorEditSelection, VerticalMovesKeepTheColumnWithinTheLine) {
    RecordingHooks hooks;
    ColorEditModel model(4, &hooks);
    fill(model, {"abcdef", "ab", "abcd", "a", "abcdef"});
    model.moveUp(); // on line 0
    EXPECT_EQ(model.caret(), TextPos{});
    model.SetSelection(5, 0, 5, 0);
    model.moveDown();
    EXPECT_EQ(model.caret(), (TextPos{2, 1}));
    model.moveEnd(true);
    model.moveDown(); // on the last line
    EXPECT_EQ(model.caret(), (TextPos{6, 4}));
    model.moveUp();
    EXPECT_EQ(model.caret(), (TextPos{1, 3}));

    hooks.page = 2;
    model.SetSelection(4, 2, 4, 2);
    model.movePageDown();
    EXPECT_EQ(model.caret(), (TextPos{4, 4}));
    model.movePageDown();
    EXPECT_EQ(model.caret(), (TextPos{4, 4}));
    model.movePageUp();
    EXPECT_EQ(model.caret(), (TextPos{4, 2}));
    model.SetSelection(6, 1, 6, 1);
    model.movePageUp(); // lands above line 1: the first line
    EXPECT_EQ(model.caret(), (TextPos{2, 0}));
    EXPECT_EQ(hooks.scrolledTo, (std::vector<int>{4, 4, 2, 0}));
}

TEST(ColorEditSelection, WordMoves) {
    ColorEditModel model(4);
    fill(model, {"foo  bar.baz", "next"});
    std::vector<int> stops;
    for (int i = 0; i < 5; ++i) {
        model.moveWordRight();
        stops.push_back(model.caret().column);
    }
    EXPECT_EQ(stops, (std::vector<int>{3, 8, 9, 12, 0}));
    EXPECT_EQ(model.caret().line, 1);
    model.moveEnd(false);
    model.moveWordRight(); // end of the last line
    EXPECT_EQ(model.caret(), (TextPos{4, 1}));

    model.SetSelection(12, 0, 12, 0);
    stops.clear();
    for (int i = 0; i < 4; ++i) {
        model.moveWordLeft();
        stops.push_back(model.caret().column);
    }
    EXPECT_EQ(stops, (std::vector<int>{9, 8, 5, 0}));
    model.SetSelection(0, 1, 0, 1);
    model.moveWordLeft(); // across the line start
    EXPECT_EQ(model.caret(), (TextPos{12, 0}));
}

TEST(ColorEditSelection, CollapseAnchorKeepsTheAnchorOnlyWithShift) {
    ColorEditModel model(4);
    fill(model, {"abcdef"});
    model.moveRight();
    model.CollapseAnchor(true);
    model.moveRight();
    model.CollapseAnchor(true);
    EXPECT_EQ(model.SelectedText(), "ab");
    model.moveRight();
    model.CollapseAnchor(false);
    EXPECT_FALSE(model.HasSelection());
}

} // namespace
