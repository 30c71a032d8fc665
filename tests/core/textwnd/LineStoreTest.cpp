#include "core/textwnd/LineStore.h"

#include "core/textwnd/TextSearch.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>

using tovan::LineStore;

namespace {

int bruteLongest(const LineStore& store) {
    int longest = 0;
    for (int i = 0; i < store.lineCount(); ++i)
        longest = std::max(longest, static_cast<int>(store.text(i).size()));
    return longest;
}

TEST(LineStore, NeverHoldsZeroLinesAndIgnoresMissingIndexes) {
    LineStore store;
    ASSERT_EQ(store.lineCount(), 1);
    store.DeleteLine(0);
    EXPECT_EQ(store.lineCount(), 1);
    store.SetLine("abc", 0, 0x123456);
    store.DeleteLine(0);
    EXPECT_EQ(store.lineCount(), 1);
    EXPECT_EQ(store.text(0), "");
    EXPECT_EQ(store.longestLineLength(), 0);

    store.DeleteLine(5);
    store.DeleteLine(-1);
    store.SetLine("x", 7);
    store.InsertLine("end", 99); // appends
    EXPECT_EQ(store.lineCount(), 2);
    EXPECT_EQ(store.text(1), "end");
}

TEST(LineStore, SetLineRebuildsEveryColourOfTheLine) {
    LineStore store;
    store.InsertLine("ab", 0, 0x0000FF);
    store.SetLine("abc", 0);
    EXPECT_EQ(store.colours(0), (std::vector<tovan::Colour>(3, tovan::DEFAULT_TEXT_COLOUR)));
    store.SetLine("abcd", 0, 0x00FF00);
    EXPECT_EQ(store.colours(0), (std::vector<tovan::Colour>(4, 0x00FF00)));
}

TEST(LineStore, LongestLineFollowsEveryChange) {
    LineStore store;
    int refreshes = 0;
    store.setRefreshHandler([&] { ++refreshes; });
    std::mt19937 random(7);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int step = 0; step < 5000; ++step) {
        const std::string text(static_cast<std::size_t>(pick(40)), 'x');
        switch (pick(5)) {
        case 0:
        case 1:
            store.InsertLine(text, pick(store.lineCount() + 1));
            break;
        case 2:
            store.SetLine(text, pick(store.lineCount()));
            break;
        case 3:
            store.DeleteLine(pick(store.lineCount()));
            break;
        default:
            if (pick(50) == 0)
                store.ClearLines();
            else
                store.truncate(pick(store.lineCount() + 1));
        }
        ASSERT_EQ(store.longestLineLength(), bruteLongest(store)) << "step " << step;
        ASSERT_GE(store.lineCount(), 1);
    }
    EXPECT_GT(refreshes, 4000);
    store.InsertLine("quiet", 0, std::nullopt, false);
    EXPECT_EQ(store.text(0), "quiet");
}

} // namespace

TEST(TextSearch, FindsTextInAnyCaseAndBytesInAnyNotation) {
    tovan::LineStore lines;
    lines.SetLine("ESY  EasyMeter esy", 0);
    lines.InsertLine(" 37 44 79 16 2B 79 16", 1);
    using tovan::TextMatch;
    EXPECT_EQ(tovan::findAll(lines, "esy"), (std::vector<TextMatch>{{0, 0, 3}, {0, 15, 3}}));
    EXPECT_EQ(tovan::findAll(lines, "79 16"), (std::vector<TextMatch>{{1, 7, 5}, {1, 16, 5}}));
    EXPECT_TRUE(tovan::findAll(lines, "").empty());
    for (const char* typed : {"7916", "79:16", "0x79 0x16", "79-16", "79 16"})
        EXPECT_EQ(tovan::hexBytesQuery(typed), "79 16") << typed;
    for (const char* typed : {"791", "7g16", "meter"})
        EXPECT_EQ(tovan::hexBytesQuery(typed), "") << typed;
}
