#pragma once

#include "core/wmbus/DataRecord.h"
#include "core/wmbus/TimeSeries.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovan {

// How much a MeterHistory keeps.
struct MeterHistoryLimits {
    std::size_t pointsPerSeries = 1000;
    std::size_t recordsPerMeter = 32;
    std::size_t totalPoints = 4000000; // 16 bytes each: 64 MB
};

// What the meters of a meter table said over time: per meter the signal strength of each
// telegram, and for each record holding a number (a reading, a temperature, a flow) its value.
// Meters are kept by their place in the table and forgotten with it.
//
// Everything is bounded, as telegrams may come thousands a second for hours: a series keeps
// its newest points, a meter its first records, and the whole history a number of points;
// once that is reached, a series goes on with its newest points at the length it has (one
// that has none stays empty) until meters are forgotten.
class MeterHistory {
public:
    using Time = std::chrono::system_clock::time_point;

    using Limits = MeterHistoryLimits;

    // The values one record gave, telegram after telegram.
    struct RecordSeries {
        explicit RecordSeries(std::size_t capacity) : points(capacity) {}
        std::string header; // the record's DIB and VIB as sent: the same record in each telegram
        std::string name;   // "Volume", "Volume (storage 1)"
        std::string unit;
        TimeSeries points;
        std::uint64_t telegram = 0; // the last telegram that gave a value
    };

    struct Meter {
        explicit Meter(std::size_t capacity) : rssi(capacity) {}
        TimeSeries rssi;
        std::vector<RecordSeries> records; // in the order first heard
    };

    explicit MeterHistory(Limits limits = {}) : m_limits(limits) {}

    // A telegram of the meter at `place`, heard at `seen`, with its records where they could be
    // read (null: none).
    void add(std::size_t place, Time seen, int rssiDbm, const RecordList* records);
    // The meter at `place` is gone; another may take its place.
    void forget(std::size_t place);
    void clear();

    // The history of the meter at `place`; null when there is none.
    const Meter* meter(std::size_t place) const;
    // The series of the record `header` of the meter at `place`, or null.
    const RecordSeries* record(std::size_t place, const std::string& header) const;
    // Points held by every series together.
    std::size_t points() const { return m_points; }
    const Limits& limits() const { return m_limits; }

    // A record's value as a number: false for texts (dates, flags) and values kept as hex.
    static bool numberOf(const DataRecord& record, double& value);
    static std::int64_t millisecondsOf(Time time);

private:
    void addPoint(TimeSeries& series, TimeSeries::Point point);
    RecordSeries* seriesFor(Meter& meter, const DataRecord& record);

    Limits m_limits;
    std::vector<Meter> m_meters; // by place; a place without history has an empty meter
    std::size_t m_points = 0;
    std::uint64_t m_telegrams = 0;
};

} // namespace tovan
