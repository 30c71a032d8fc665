#include "gui/console/LatencyChart.h"

#include "core/testplan/RunSummary.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace tovan {

LatencyChart::LatencyChart(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("latencyChart"));
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Latency histogram"));
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    m_bars = new QBarSet(QStringLiteral("frames"));
    m_bars->setColor(QColor(0x00, 0x25, 0xC8)); // the traffic window's colour of received frames
    auto* series = new QBarSeries;
    series->setBarWidth(1.0); // buckets touch, as a histogram's do
    series->append(m_bars);
    chart->addSeries(series);
    m_edges = new QBarCategoryAxis;
    // Up to twenty buckets side by side leave no room for a label each: the chart's title names
    // the range and the width of a bar instead.
    m_edges->setLabelsVisible(false);
    m_counts = new QValueAxis;
    m_counts->setTitleText(QStringLiteral("frames"));
    m_counts->setLabelFormat(QStringLiteral("%.0f"));
    m_counts->setTickType(QValueAxis::TicksDynamic);
    m_counts->setTickAnchor(0);
    chart->addAxis(m_edges, Qt::AlignBottom);
    chart->addAxis(m_counts, Qt::AlignLeft);
    series->attachAxis(m_edges);
    series->attachAxis(m_counts);
    setChart(chart);
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(300, 180);
    setBuckets({});
}

void LatencyChart::setBuckets(const std::vector<LatencyBucket>& buckets) {
    QStringList edges;
    QList<qreal> counts;
    std::size_t highest = 0;
    for (const LatencyBucket& bucket : buckets) {
        edges << QString::number(bucket.fromMs, 'g', 6);
        counts << static_cast<qreal>(bucket.count);
        highest = std::max(highest, bucket.count);
    }
    if (edges == m_edges->categories() && counts == this->counts())
        return;
    m_bars->remove(0, m_bars->count());
    m_edges->setCategories(edges.isEmpty() ? QStringList{QStringLiteral("0")} : edges);
    m_bars->append(counts);
    chart()->setTitle(
        buckets.empty()
            ? QStringLiteral("Latency histogram")
            : QStringLiteral("Latency 0 to %1 ms, %2 ms a bar")
                  .arg(QString::number(buckets.back().toMs, 'g', 6),
                       QString::number(buckets.front().toMs - buckets.front().fromMs, 'g', 6)));
    // Whole numbers of frames on the axis, at most about five ticks: a step of 1, 2 or 5 times
    // a power of ten.
    constexpr double FACTORS[] = {2, 2.5, 2}; // 1, 2, 5, 10, 20, 50, ...
    double step = 1;
    for (int i = 0; static_cast<double>(highest) / step > 5; ++i)
        step *= FACTORS[i % 3];
    m_counts->setTickInterval(step);
    m_counts->setRange(0, std::max(1.0, std::ceil(static_cast<double>(highest) / step) * step));
}

QList<qreal> LatencyChart::counts() const {
    QList<qreal> values;
    for (int i = 0; i < m_bars->count(); ++i)
        values << m_bars->at(i);
    return values;
}

QStringList LatencyChart::labels() const {
    return m_edges->categories();
}

} // namespace tovan
