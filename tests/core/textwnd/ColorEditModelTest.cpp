#include "core/textwnd/ColorEditModel.h"

#include "tests/core/textwnd/ModelText.h"
#include "tests/core/textwnd/RecordingHooks.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using tovan::ColorEditModel;
using tovan::TextPos;
using Lines = std::vector<std::string>;

namespace {

constexpr tovan::Colour RED = 0x0000FF;
constexpr tovan::Colour GREEN = 0x008B00;

TEST(ColorEditModel, FreshAndResetHoldOneEmptyLineWithCaretAtStart) {
    RecordingHooks hooks;
    ColorEditModel model(4, &hooks);
    EXPECT_EQ(linesOf(model), Lines{""});
    EXPECT_EQ(model.caret(), TextPos{});
    EXPECT_EQ(model.anchor(), TextPos{});

    model.AddLine("\nabc\ndef", RED);
    model.SetSelection(1, 1, 2, 2);
    model.Reset();
    EXPECT_EQ(linesOf(model), Lines{""});
    EXPECT_EQ(model.caret(), TextPos{});
    EXPECT_EQ(model.anchor(), TextPos{});
    EXPECT_FALSE(model.HasSelection());
    EXPECT_EQ(hooks.resets, 1);
    EXPECT_EQ(hooks.changes, 2); // the AddLine and the Reset
}

TEST(ColorEditModel, AddLineWithLeadingNewlinePutsNewestOnLineOneAndKeepsOlderColours) {
    ColorEditModel model(4);
    model.AddLine("\nA", RED);
    EXPECT_EQ(linesOf(model), (Lines{"", "A"}));
    EXPECT_EQ(colourOf(model, 1), RED);

    model.AddLine("\nB", GREEN);
    EXPECT_EQ(linesOf(model), (Lines{"", "B", "A"}));
    EXPECT_EQ(colourOf(model, 1), GREEN);
    EXPECT_EQ(colourOf(model, 2), RED);

    // A console's traffic entry: time line and hex line.
    model.AddLine("\n12:00:01  RX:\n FE 01", 0x0025C8);
    EXPECT_EQ(linesOf(model), (Lines{"", "12:00:01  RX:", " FE 01", "B", "A"}));
    EXPECT_EQ(colourOf(model, 2), 0x0025C8);
    EXPECT_EQ(colourOf(model, 3), GREEN);
}

TEST(ColorEditModel, AddLineWithoutLeadingNewlineRecoloursTheFormerFirstLine) {
    ColorEditModel model(4);
    model.AddLine("A", RED);
    model.AddLine("B", GREEN);
    EXPECT_EQ(linesOf(model), (Lines{"B", "A"}));
    EXPECT_EQ(colourOf(model, 0), GREEN);
    EXPECT_EQ(colourOf(model, 1), GREEN);
}

TEST(ColorEditModel, AddLineCutsToExactlyTheLimitBeforeInserting) {
    ColorEditModel model(4);
    for (int i = 0; i < 1200; ++i)
        model.AddLine("\n" + std::to_string(i), RED);
    // Every entry adds one line; the cut to 1000 happens before the next entry goes in.
    EXPECT_EQ(model.lineCount(), 1001);
    EXPECT_EQ(model.store().text(1), "1199");
    EXPECT_EQ(model.store().text(1000), "200");

    model.AddLine("\nx\ny\nz", RED);
    EXPECT_EQ(model.lineCount(), 1003);
    EXPECT_EQ(model.store().text(1002), "201"); // "200" was line 1000 and went
    EXPECT_EQ(model.store().longestLineLength(), 4);
}

TEST(ColorEditModel, InsertionDropsControlBytesAndFillsTabs) {
    ColorEditModel model(4);
    model.AddLine("\r\nab\r\ncd\x01\x7f", RED);
    EXPECT_EQ(linesOf(model), (Lines{"", "ab", "cd"}));

    model.Reset();
    model.InsertText("abc\tx\ty");
    EXPECT_EQ(linesOf(model), Lines{"abc x   y"});
    EXPECT_EQ(model.caret(), (TextPos{9, 0}));

    // Latin-1 letters are text; the C1 control range and NUL are not.
    model.Reset();
    model.InsertText(std::string("\xE9t\xE9\x85\0!", 6));
    EXPECT_EQ(linesOf(model), Lines{"\xE9t\xE9!"});

    EXPECT_EQ(model.TabFill(0), "    ");
    EXPECT_EQ(model.TabFill(3), " ");
    EXPECT_EQ(model.TabFill(4), "    ");
    EXPECT_EQ(ColorEditModel(0).TabFill(5), " "); // a tab width of 0 would divide by zero
}

TEST(ColorEditModel, InsertTextInsideALineCarriesTheTailBelowTheLastLine) {
    ColorEditModel model(4);
    fill(model, {"headTAIL", "next"});
    model.SetSelection(4, 0, 4, 0);
    model.InsertColouredText("12\n34\n56", RED);
    EXPECT_EQ(linesOf(model), (Lines{"head12", "34", "56TAIL", "next"}));
    EXPECT_EQ(model.caret(), (TextPos{6, 2})); // after the carried tail
    EXPECT_EQ(model.anchor(), model.caret());
    EXPECT_EQ(colourOf(model, 0), RED); // the head takes the new colour too
    EXPECT_EQ(colourOf(model, 2), RED);
    EXPECT_EQ(colourOf(model, 3), tovan::DEFAULT_TEXT_COLOUR);

    model.SetSelection(2, 1, 2, 1);
    model.InsertText("xy");
    EXPECT_EQ(linesOf(model)[1], "34xy");
    EXPECT_EQ(model.caret(), (TextPos{4, 1}));

    // Pasting over a selection replaces it.
    model.SetSelection(0, 1, 4, 1);
    model.InsertText("Q");
    EXPECT_EQ(linesOf(model)[1], "Q");
}

TEST(ColorEditModel, TypingTurnsTheWholeLineBlack) {
    ColorEditModel model(4);
    model.AddLine("\nABCD", RED);
    model.SetSelection(2, 1, 2, 1);
    model.InsertString("x");
    EXPECT_EQ(model.store().text(1), "ABxCD");
    EXPECT_EQ(colourOf(model, 1), tovan::DEFAULT_TEXT_COLOUR);
    EXPECT_EQ(model.caret(), (TextPos{3, 1}));

    model.InsertTab(); // column 3, width 4: one space
    EXPECT_EQ(model.store().text(1), "ABx CD");
    model.InsertString("\x07"); // nothing printable to type
    EXPECT_EQ(model.store().text(1), "ABx CD");
}

TEST(ColorEditModel, BackspaceAndDeleteAtTheEdgesAndAcrossLines) {
    ColorEditModel model(4);
    fill(model, {"ab", "cd"});
    model.Backspace(); // at (0, 0)
    EXPECT_EQ(linesOf(model), (Lines{"ab", "cd"}));
    EXPECT_EQ(model.caret(), TextPos{});

    model.SetSelection(0, 1, 0, 1);
    model.Backspace(); // joins line 1 to line 0
    EXPECT_EQ(linesOf(model), Lines{"abcd"});
    EXPECT_EQ(model.caret(), (TextPos{2, 0}));

    model.Backspace();
    EXPECT_EQ(linesOf(model), Lines{"acd"});
    EXPECT_EQ(model.caret(), (TextPos{1, 0}));

    model.DeleteForward();
    EXPECT_EQ(linesOf(model), Lines{"ad"});

    model.SetSelection(2, 0, 2, 0);
    model.DeleteForward(); // end of the last line
    EXPECT_EQ(linesOf(model), Lines{"ad"});

    fill(model, {"ab", "cd"});
    model.SetSelection(2, 0, 2, 0);
    model.DeleteForward(); // end of a line before the last: join
    EXPECT_EQ(linesOf(model), Lines{"abcd"});
    EXPECT_EQ(model.caret(), (TextPos{2, 0}));
}

TEST(ColorEditModel, NewlineSplitsTheCaretLine) {
    ColorEditModel model(4);
    fill(model, {"abcd"});
    model.SetSelection(1, 0, 1, 0);
    model.InsertNewline();
    EXPECT_EQ(linesOf(model), (Lines{"a", "bcd"}));
    EXPECT_EQ(model.caret(), (TextPos{0, 1}));
    model.moveEnd(true);
    model.InsertNewline();
    EXPECT_EQ(linesOf(model), (Lines{"a", "bcd", ""}));
}

} // namespace
