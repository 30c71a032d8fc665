#include "core/composer/InputCheck.h"

#include <gtest/gtest.h>

using namespace tovan::composer;

namespace {

// Types `keys` one by one at the caret, running the check after each key as the form does.
InputCheckResult type(std::string text, int caret, std::string_view keys,
                      CheckKind kind = CheckKind::WithSpacing, std::size_t limit = 0) {
    InputCheckResult r{text, caret};
    for (char key : keys) {
        r.text.insert(static_cast<std::size_t>(r.caret), 1, key);
        r = checkTypedInput(r.text, r.caret + 1, kind, limit);
    }
    return r;
}

} // namespace

TEST(InputCheck, TypedDigitsComeOutInPairs) {
    InputCheckResult r = type("", 0, "ABC");
    EXPECT_EQ(r.text, "AB C");
    EXPECT_EQ(r.caret, 4);
    EXPECT_TRUE(r.placeCaret);

    r = type("", 0, "0123456");
    EXPECT_EQ(r.text, "01 23 45 6");
    EXPECT_EQ(r.caret, 10);

    // A typed space is left as it is.
    EXPECT_EQ(type("AB", 2, " ").text, "AB ");
}

TEST(InputCheck, CaretCasesNearTheStart) {
    // c = 1: a digit in front of a pair gets its space at index 0, not behind it.
    InputCheckResult r = type("12", 0, "5");
    EXPECT_EQ(r.text, " 512");
    EXPECT_EQ(r.caret, 1);

    // c = 2: the pair behind the caret is split off.
    r = type("A12", 1, "B");
    EXPECT_EQ(r.text, "AB 12");
    EXPECT_EQ(r.caret, 2);

    // c = 2 with a space already behind: the second rule separates s[0..1] from s[2].
    r = checkTypedInput("AB1 2", 2, CheckKind::WithSpacing);
    EXPECT_EQ(r.text, "AB 1 2");

    // c = 0 (first character deleted): nothing to space.
    r = checkTypedInput("123", 0, CheckKind::WithSpacing);
    EXPECT_EQ(r.text, "123");
    EXPECT_EQ(r.caret, 0);
}

TEST(InputCheck, CaretInsideTheText) {
    // Typed between two pairs behind a space: joins the next pair's front.
    InputCheckResult r = type("12 34", 3, "5");
    EXPECT_EQ(r.text, "12 5 34");
    EXPECT_EQ(r.caret, 4);

    // Typed right behind a pair: space in front of the typed digit, caret moves on.
    r = type("12 34", 2, "5");
    EXPECT_EQ(r.text, "12 5 34");
    EXPECT_EQ(r.caret, 4);
}

TEST(InputCheck, InvalidCharacterIsRemoved) {
    InputCheckResult r = type("12", 2, "g");
    EXPECT_TRUE(r.invalidCharacter);
    EXPECT_EQ(r.text, "12");
    EXPECT_EQ(r.caret, 2);

    // In the middle: the caret stays where the character was.
    r = type("12 34", 2, "x");
    EXPECT_EQ(r.text, "12 34");
    EXPECT_EQ(r.caret, 2);

    EXPECT_TRUE(checkTypedInput("12\t", 3, CheckKind::WithSpacing).invalidCharacter);

    // At the very start there is nothing before the caret to remove.
    r = checkTypedInput("X1", 0, CheckKind::WithSpacing);
    EXPECT_TRUE(r.invalidCharacter);
    EXPECT_EQ(r.text, "X1");
}

TEST(InputCheck, CmdFieldOnlyChecksCharacters) {
    InputCheckResult r = type("1", 1, "2", CheckKind::CharacterOnly);
    EXPECT_EQ(r.text, "12");
    EXPECT_FALSE(r.placeCaret);

    r = checkTypedInput("123", 3, CheckKind::CharacterOnly);
    EXPECT_EQ(r.text, "123");

    r = type("1", 1, "z", CheckKind::CharacterOnly);
    EXPECT_TRUE(r.invalidCharacter);
    EXPECT_EQ(r.text, "1");
}

TEST(InputCheck, TypingNeverOverfillsTheLimit) {
    std::string text;
    for (int i = 0; i < 127; ++i)
        text += "12 ";
    InputCheckResult r =
        type(text, static_cast<int>(text.size()), "345", CheckKind::WithSpacing, 384);
    // 128 pairs fit in 383 characters; the digit that would need a 385th character does not.
    EXPECT_EQ(r.text.size(), 383u);
    EXPECT_EQ(r.text.substr(378), "12 34");
    EXPECT_EQ(r.caret, 383);
}
