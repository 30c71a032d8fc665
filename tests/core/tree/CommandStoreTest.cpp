#include "core/tree/CommandStore.h"

#include <cstring>
#include <gtest/gtest.h>

using tovan::CommandStore;

namespace {

const std::uint8_t* bytes(const char* text) {
    return reinterpret_cast<const std::uint8_t*>(text);
}

std::string text(const CommandStore& store, std::uint32_t id) {
    const std::uint8_t* data = store.entryData(id);
    return data ? std::string(reinterpret_cast<const char*>(data), store.entryLength(id))
                : "<none>";
}

} // namespace

TEST(CommandStore, KeepsOwnCopiesEndedByAZeroByte) {
    CommandStore store;
    char source[] = "FE 01 02";
    store.appendEntry(7, 8, bytes(source));
    std::memset(source, 'x', 8);
    EXPECT_EQ(text(store, 7), "FE 01 02");
    EXPECT_EQ(store.entryData(7)[8], 0);

    store.appendEntry(8, 0, nullptr); // a folder
    EXPECT_EQ(store.entryLength(8), 0u);
    EXPECT_EQ(store.entryData(8), nullptr);
    store.appendEntry(9, 4, nullptr); // length without data stays as given
    EXPECT_EQ(store.entryLength(9), 4u);
    EXPECT_EQ(store.entryData(9), nullptr);
}

TEST(CommandStore, FindsTheNewestEntryOfAnIdAndForgetsUnknownOnes) {
    CommandStore store;
    store.appendEntry(1, 3, bytes("old"));
    store.appendEntry(1, 3, bytes("new"));
    EXPECT_EQ(text(store, 1), "new");

    EXPECT_TRUE(store.setEntryData(1, 5, bytes("newer")));
    EXPECT_EQ(text(store, 1), "newer");
    store.removeEntry(1);
    EXPECT_EQ(text(store, 1), "old");
    store.removeEntry(1);
    EXPECT_EQ(store.size(), 0u);

    EXPECT_FALSE(store.setEntryData(42, 3, bytes("abc")));
    store.removeEntry(42);
    EXPECT_EQ(store.entryLength(42), 0u);
    EXPECT_EQ(store.entryData(42), nullptr);
}

TEST(CommandStore, HandlesIdsBeyondSixteenBits) {
    CommandStore store;
    for (std::uint32_t id = 0; id < 70000; ++id)
        store.appendEntry(id, 1, bytes(id == 65536 ? "a" : "b"));
    EXPECT_EQ(text(store, 0), "b");
    EXPECT_EQ(text(store, 65536), "a");
}
