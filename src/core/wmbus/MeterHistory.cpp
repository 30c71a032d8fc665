#include "core/wmbus/MeterHistory.h"

#include "core/wmbus/RecordText.h"

#include <charconv>
#include <cmath>

namespace tovan {

std::int64_t MeterHistory::millisecondsOf(Time time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

// The reader writes numbers as plain decimal text ("28504.27", "-4.0"), never in the
// locale's way, so they are read back the same way.
bool MeterHistory::numberOf(const DataRecord& record, double& value) {
    if (record.value.kind != RecordValue::Kind::Number)
        return false;
    const std::string& text = record.value.text;
    double number = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(number))
        return false;
    value = number;
    return true;
}

void MeterHistory::addPoint(TimeSeries& series, TimeSeries::Point point) {
    if (series.add(point, m_points < m_limits.totalPoints))
        ++m_points;
}

MeterHistory::RecordSeries* MeterHistory::seriesFor(Meter& meter, const DataRecord& record) {
    std::string header = record.dib + record.vib;
    for (RecordSeries& series : meter.records)
        if (series.header == header)
            return &series;
    if (meter.records.size() >= m_limits.recordsPerMeter)
        return nullptr;
    RecordSeries& series = meter.records.emplace_back(m_limits.pointsPerSeries);
    series.header = std::move(header);
    series.name = RecordText::recordLabel(record);
    series.unit = record.unit;
    return &series;
}

void MeterHistory::add(std::size_t place, Time seen, int rssiDbm, const RecordList* records) {
    if (place >= m_meters.size())
        m_meters.resize(place + 1, Meter(m_limits.pointsPerSeries));
    Meter& meter = m_meters[place];
    const std::int64_t ms = millisecondsOf(seen);
    ++m_telegrams;
    addPoint(meter.rssi, {ms, static_cast<double>(rssiDbm)});
    if (!records)
        return;
    for (const DataRecord& record : records->records) {
        double value = 0.0;
        if (!numberOf(record, value))
            continue;
        RecordSeries* series = seriesFor(meter, record);
        // A record sent twice in one telegram counts once.
        if (!series || series->telegram == m_telegrams)
            continue;
        series->telegram = m_telegrams;
        addPoint(series->points, {ms, value});
    }
}

void MeterHistory::forget(std::size_t place) {
    if (place >= m_meters.size())
        return;
    Meter& meter = m_meters[place];
    m_points -= meter.rssi.size();
    for (const RecordSeries& series : meter.records)
        m_points -= series.points.size();
    meter = Meter(m_limits.pointsPerSeries);
}

void MeterHistory::clear() {
    m_meters.clear();
    m_points = 0;
}

const MeterHistory::Meter* MeterHistory::meter(std::size_t place) const {
    return place < m_meters.size() ? &m_meters[place] : nullptr;
}

const MeterHistory::RecordSeries* MeterHistory::record(std::size_t place,
                                                       const std::string& header) const {
    const Meter* found = meter(place);
    if (!found)
        return nullptr;
    for (const RecordSeries& series : found->records)
        if (series.header == header)
            return &series;
    return nullptr;
}

} // namespace tovan
