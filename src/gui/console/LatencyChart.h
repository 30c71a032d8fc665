#pragma once

#include <QChartView>
#include <QList>
#include <QStringList>

#include <vector>

class QBarCategoryAxis;
class QBarSet;
class QValueAxis;

namespace tovan {

struct LatencyBucket;

// The latency histogram of a plan run: one bar per bucket of equal width from 0 ms, the height
// the number of frames whose latency fell in it; the title gives the range and the width
// of a bar, the categories (not shown) each bucket's lower edge.
class LatencyChart : public QChartView {
    Q_OBJECT
public:
    explicit LatencyChart(QWidget* parent = nullptr);

    void setBuckets(const std::vector<LatencyBucket>& buckets);

    // What the chart shows now: the bars' heights and their labels.
    QList<qreal> counts() const;
    QStringList labels() const;

private:
    QBarSet* m_bars = nullptr;
    QBarCategoryAxis* m_edges = nullptr;
    QValueAxis* m_counts = nullptr;
};

} // namespace tovan
