// The meter table's main reading and history: what a record's series holds (its numbers, in
// the order heard, named and in its unit), and that every part of the history stays within
// its bounds however long telegrams keep coming.
#include "core/frames/CHexCodec.h"
#include "core/wmbus/MeterTable.h"
#include "core/wmbus/RecordParser.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace tovan;

namespace {

TelegramFields meter(const std::string& id, int rssi = -60) {
    TelegramFields fields;
    fields.manufacturer = "KAM";
    fields.identification = id;
    fields.version = "1B";
    fields.deviceType = "07";
    fields.rssiDbm = rssi;
    return fields;
}

MeterTable::Time at(int second) {
    return MeterTable::Time(std::chrono::seconds(1800000000 + second));
}

RecordList records(const std::string& hex) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(CHexCodec::HexByteCount(hex)));
    CHexCodec().HexToBytes(hex, bytes.data(), bytes.size());
    return RecordParser::parse(ByteView(bytes.data(), bytes.size()));
}

// A water meter: the volume at the due date (storage 1) first, then the volume now in litres,
// the due date and error flags.
RecordList water(const char* litresNow) {
    return records(std::string("44 13 0C 2B 00 00 04 13 ") + litresNow +
                   " 00 00 42 6C 5E 3B 02 FD 17 00 00");
}

std::vector<double> values(const TimeSeries& series) {
    std::vector<double> out;
    for (std::size_t i = 0; i < series.size(); ++i)
        out.push_back(series.at(i).value);
    return out;
}

} // namespace

TEST(MeterHistory, KeepsEachNumberRecordAndTheSignalOverTimeAndTheMainReading) {
    MeterTable table;
    const RecordList first = water("39 30"), second = water("3A 30");
    table.add(meter("71234567", -60), at(0), &first);
    table.add(meter("71234567", -70), at(10), nullptr); // encrypted, no key: no records
    table.add(meter("71234567", -65), at(20), &second);

    const MeterTable::Row& row = table.rows().at(0);
    EXPECT_EQ(row.reading, "12.346 m3") << "the volume now, not the one of the due date";
    EXPECT_DOUBLE_EQ(row.readingValue, 12.346);
    const MeterHistory::Meter* history = table.history().meter(0);
    ASSERT_NE(history, nullptr);
    EXPECT_EQ(values(history->rssi), (std::vector<double>{-60, -70, -65}));
    EXPECT_EQ(history->rssi.at(1).ms, 1800000010000);

    // The dates and flags are no numbers: two series, in the order the records come.
    ASSERT_EQ(history->records.size(), 2u);
    const MeterHistory::RecordSeries& stored = history->records[0];
    const MeterHistory::RecordSeries& now = history->records[1];
    EXPECT_EQ(stored.name, "Volume (storage 1)");
    EXPECT_EQ(now.name, "Volume");
    EXPECT_EQ(now.unit, "m3");
    EXPECT_EQ(values(now.points), (std::vector<double>{12.345, 12.346}));
    EXPECT_EQ(now.points.at(1).ms, 1800000020000);
    EXPECT_EQ(values(stored.points), (std::vector<double>{11.020, 11.020}));
    EXPECT_EQ(table.history().record(0, now.header), &now);

    // A later telegram without the reading keeps the last one.
    const RecordList flagsOnly = records("02 FD 17 00 00");
    table.add(meter("71234567"), at(30), &flagsOnly);
    EXPECT_EQ(table.rows().at(0).reading, "12.346 m3");

    // A meter that sends only a maximum or a stored volume has no main reading.
    const RecordList maximum = records("14 13 10 27 00 00 44 13 10 27 00 00");
    table.add(meter("22222222"), at(40), &maximum);
    EXPECT_EQ(table.rows().at(1).reading, "");
    EXPECT_EQ(table.history().meter(1)->records.size(), 2u);
}

TEST(MeterHistory, StaysWithinItsBoundsAndForgetsMetersWithTheirRows) {
    MeterHistory::Limits limits;
    limits.pointsPerSeries = 4;
    limits.recordsPerMeter = 1;
    limits.totalPoints = 10;
    MeterTable table(2, limits);
    const RecordList readings = water("39 30"); // two number records; one is followed

    for (int i = 0; i < 6; ++i)
        table.add(meter("11111111", -50 - i), at(i), &readings);
    const MeterHistory::Meter* first = table.history().meter(0);
    EXPECT_EQ(values(first->rssi), (std::vector<double>{-52, -53, -54, -55})) << "the newest";
    ASSERT_EQ(first->records.size(), 1u);
    EXPECT_EQ(first->records[0].points.size(), 4u);
    EXPECT_EQ(table.history().points(), 8u);

    // 10 points in all: a second meter's series grow until the total is reached, then go on
    // with their newest points at the length they have.
    for (int i = 0; i < 8; ++i)
        table.add(meter("22222222", -80 + i), at(10 + i), &readings);
    EXPECT_EQ(table.history().points(), 10u);
    EXPECT_EQ(values(table.history().meter(1)->rssi), (std::vector<double>{-73}));
    for (int i = 0; i < 2; ++i)
        table.add(meter("11111111", -90 - i), at(20 + i), &readings);
    EXPECT_EQ(values(table.history().meter(0)->rssi), (std::vector<double>{-54, -55, -90, -91}));
    EXPECT_EQ(table.history().points(), 10u);

    // A third meter takes the place of the one heard least recently: that one's history goes,
    // and the room it leaves is the new meter's.
    table.add(meter("33333333", -40), at(30), &readings);
    EXPECT_EQ(table.rows().at(1).meter.identification, "33333333");
    EXPECT_EQ(values(table.history().meter(1)->rssi), (std::vector<double>{-40}));
    EXPECT_EQ(table.history().meter(1)->records[0].points.size(), 1u);
    EXPECT_EQ(table.history().points(), 10u);

    table.clear();
    EXPECT_EQ(table.history().points(), 0u);
    EXPECT_EQ(table.history().meter(0), nullptr);

    // The defaults: 1,000 points a series.
    MeterTable plain;
    for (int i = 0; i < 1500; ++i)
        plain.add(meter("44444444", -i % 100), at(i), &readings);
    const MeterHistory::Meter* busy = plain.history().meter(0);
    EXPECT_EQ(busy->rssi.size(), 1000u);
    EXPECT_EQ(busy->rssi.at(0).ms, 1800000500000) << "the oldest kept is the 501st";
    EXPECT_EQ(busy->records[0].points.size(), 1000u);
}
