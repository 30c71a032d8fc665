// The meter overview's table as a log gives it: dates over midnight, texts and sort values.
#include "core/wmbus/MeterTable.h"

#include "core/wmbus/TestTelegrams.h"

#include <gtest/gtest.h>
#include <sstream>

using tovan::MeterTable;

namespace {

// A received entry of the sample heat cost allocator at `time`, as a console logs it.
std::string received(const std::string& time) {
    return "\r\n" + time + "  RX:\r\n " + std::string(tovan::testTelegram(2)) + "  7D.\r\n";
}

const MeterTable::Row& readOne(MeterTable& table, const std::string& text, MeterTable::Day day) {
    std::istringstream in(text);
    EXPECT_GT(table.readTrafficText(in, tovan::CTelegramDecoder(), day), 0u);
    return table.rows().at(0);
}

std::string column(const MeterTable::Row& row, std::size_t column) {
    return MeterTable::columnText(row, column);
}

} // namespace

TEST(MeterTable, DatesLogEntriesFromTheGivenDayOverAnyNumberOfMidnights) {
    MeterTable table;
    // Over the end of a month twice; a transmitted entry counts for the date too.
    const auto& row = readOne(table,
                              received("23:59:50.500") + "\r\n23:59:58  TX:\r\n FF 01 00 FE\r\n" +
                                  "\r\n00:00:01  TX:\r\n FF 01 00 FE\r\n" + received("13:00:00") +
                                  received("00:00:30"),
                              MeterTable::Day{2026, 11, 30});
    EXPECT_EQ(column(row, MeterTable::FIRST_SEEN), "2026-11-30 23:59:50");
    EXPECT_EQ(column(row, MeterTable::LAST_SEEN), "2026-12-02 00:00:30");
    EXPECT_EQ(column(row, MeterTable::MEAN_INTERVAL), "43219.8");

    // Back by exactly 12 hours is still the same day (a clock put back), a second more is not.
    MeterTable sameDay;
    EXPECT_EQ(column(readOne(sameDay, received("12:00:00") + received("00:00:00"), {2026, 1, 1}),
                     MeterTable::LAST_SEEN),
              "2026-01-01 00:00:00");
    MeterTable nextDay;
    EXPECT_EQ(column(readOne(nextDay, received("12:00:01") + received("00:00:00"), {2026, 1, 1}),
                     MeterTable::LAST_SEEN),
              "2026-01-02 00:00:00");

    MeterTable::Day day;
    EXPECT_TRUE(MeterTable::Day::parse("2028-02-29", day));
    EXPECT_EQ(day.text(), "2028-02-29");
    for (const char* wrong :
         {"2026-02-29", "2026-13-01", "2026-00-10", "2026-1-01", "26-11-30", "2026-11-30x", ""})
        EXPECT_FALSE(MeterTable::Day::parse(wrong, day)) << wrong;
    EXPECT_EQ(day.text(), "2028-02-29") << "left as it was";
}

TEST(MeterTable, AMeterHeardOnceHasNoIntervalAndTimesSortToTheMillisecond) {
    MeterTable table;
    tovan::TelegramFields once;
    once.identification = "00000001";
    tovan::TelegramFields twice = once;
    twice.identification = "00000002";
    const MeterTable::Time t0{std::chrono::seconds(1800000000)};
    table.add(twice, t0);
    table.add(once, t0 + std::chrono::milliseconds(400));
    table.add(twice, t0 + std::chrono::milliseconds(900));
    const MeterTable::Row& heardOnce = table.rows()[1];
    const MeterTable::Row& heardTwice = table.rows()[0];

    EXPECT_EQ(column(heardOnce, MeterTable::MEAN_INTERVAL), "-");
    EXPECT_NE(table.toCsv().find(",-,"), std::string::npos) << table.toCsv();
    EXPECT_EQ(column(heardTwice, MeterTable::MEAN_INTERVAL), "0.9");

    // Both last heard within the same second: the texts tie, the values do not.
    const std::size_t last = MeterTable::LAST_SEEN;
    EXPECT_EQ(column(heardOnce, last), column(heardTwice, last));
    EXPECT_TRUE(MeterTable::sortsByValue(last));
    EXPECT_LT(MeterTable::sortValue(heardOnce, last), MeterTable::sortValue(heardTwice, last));
    const std::size_t interval = MeterTable::MEAN_INTERVAL;
    EXPECT_LT(MeterTable::sortValue(heardOnce, interval), 0.0);
    EXPECT_DOUBLE_EQ(MeterTable::sortValue(heardTwice, interval), 0.9);
    EXPECT_FALSE(MeterTable::sortsByValue(2)) << "identifications sort as text";
}
