#pragma once

#include <QWidget>

#include <cstdint>
#include <string>

class QChart;
class QChartView;
class QComboBox;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QValueAxis;

namespace tovan {

class MeterTable;
class TimeSeries;

// The history of one meter of a meter table as a chart over time: the value of the record the
// combo box chooses (left axis, in the record's unit) and the signal strength of its
// telegrams (right axis, dBm). It draws what the table's history holds when told to refresh,
// and only when the meter was heard since the last drawing, so telegrams arriving thousands a
// second cost no more than the caller's refresh rate.
class MeterPlot : public QWidget {
    Q_OBJECT
public:
    explicit MeterPlot(QWidget* parent = nullptr);

    // The meter at `row` of `table`; null or a negative row shows none.
    void setMeter(const MeterTable* table, int row);
    // Draws anew where the meter was heard since the last drawing.
    void refresh();

    QComboBox* recordChoice() const { return m_choice; }
    QLineSeries* readingSeries() const { return m_reading; }
    QLineSeries* rssiSeries() const { return m_rssi; }
    QChartView* chartView() const { return m_view; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The combo box's entries: the meter's records that hold numbers, the choice kept.
    void takeRecords();
    void draw();
    void drawNothing(const QString& title);
    // The x range of both series; false when neither has a point.
    bool timeRange(std::int64_t& first, std::int64_t& last) const;

    const MeterTable* m_table = nullptr;
    int m_row = -1;
    std::string m_meter; // who the row was when last drawn: a row may pass to another meter
    std::uint64_t m_drawnChange = 0;
    bool m_stale = true;
    QComboBox* m_choice = nullptr;
    QChartView* m_view = nullptr;
    QChart* m_chart = nullptr;
    QLineSeries* m_reading = nullptr;
    QLineSeries* m_rssi = nullptr;
    QDateTimeAxis* m_time = nullptr;
    QValueAxis* m_valueAxis = nullptr;
    QValueAxis* m_rssiAxis = nullptr;
};

} // namespace tovan
