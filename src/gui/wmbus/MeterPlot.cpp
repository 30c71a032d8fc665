#include "gui/wmbus/MeterPlot.h"

#include "core/wmbus/MeterTable.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace tovan {
namespace {

QList<QPointF> pointsOf(const TimeSeries* series) {
    QList<QPointF> points;
    if (!series)
        return points;
    points.reserve(static_cast<qsizetype>(series->size()));
    for (std::size_t i = 0; i < series->size(); ++i)
        points.append(QPointF(static_cast<qreal>(series->at(i).ms), series->at(i).value));
    return points;
}

// The values with a little room above and below; a flat line gets room of its own.
void fitAxis(QValueAxis* axis, const QList<QPointF>& points) {
    if (points.isEmpty()) {
        axis->setRange(0, 1);
        return;
    }
    const auto [low, high] =
        std::minmax_element(points.begin(), points.end(),
                            [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    const qreal span = high->y() - low->y();
    const qreal room = span > 0 ? span * 0.08 : std::max<qreal>(std::abs(high->y()) * 0.01, 0.5);
    axis->setRange(low->y() - room, high->y() + room);
}

std::string whoIs(const MeterTable::Row& row) {
    return row.meter.manufacturer + ' ' + row.meter.identification + ' ' + row.meter.version + ' ' +
           row.meter.deviceType;
}

QString entryText(const MeterHistory::RecordSeries& series) {
    const QString name = QString::fromStdString(series.name);
    return series.unit.empty()
               ? name
               : QStringLiteral("%1 in %2").arg(name, QString::fromStdString(series.unit));
}

} // namespace

MeterPlot::MeterPlot(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("meterPlot"));
    m_choice = new QComboBox(this);
    m_choice->setObjectName(QStringLiteral("recordChoice"));
    m_choice->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_chart = new QChart;
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_reading = new QLineSeries(m_chart);
    m_rssi = new QLineSeries(m_chart);
    m_rssi->setName(QStringLiteral("RSSI in dBm"));
    m_time = new QDateTimeAxis(m_chart);
    m_valueAxis = new QValueAxis(m_chart);
    m_rssiAxis = new QValueAxis(m_chart);
    m_rssiAxis->setTitleText(QStringLiteral("dBm"));
    m_chart->addSeries(m_reading);
    m_chart->addSeries(m_rssi);
    m_chart->addAxis(m_time, Qt::AlignBottom);
    m_chart->addAxis(m_valueAxis, Qt::AlignLeft);
    m_chart->addAxis(m_rssiAxis, Qt::AlignRight);
    for (QLineSeries* series : {m_reading, m_rssi})
        series->attachAxis(m_time);
    m_reading->attachAxis(m_valueAxis);
    m_rssi->attachAxis(m_rssiAxis);
    m_view = new QChartView(m_chart, this);
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setMinimumSize(320, 200);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Record:"), this));
    top->addWidget(m_choice, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    connect(m_choice, &QComboBox::currentIndexChanged, this, [this] { draw(); });
    drawNothing(QString());
}

void MeterPlot::setMeter(const MeterTable* table, int row) {
    m_table = table;
    m_row = row;
    m_meter.clear();
    m_stale = true;
    if (isVisible())
        draw();
}

void MeterPlot::refresh() {
    if (!m_stale && m_table && m_row >= 0 &&
        static_cast<std::size_t>(m_row) < m_table->rows().size()) {
        const MeterTable::Row& row = m_table->rows()[static_cast<std::size_t>(m_row)];
        m_stale = row.change != m_drawnChange || whoIs(row) != m_meter;
    } else {
        m_stale = true;
    }
    if (m_stale && isVisible())
        draw();
}

void MeterPlot::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_stale)
        draw();
}

void MeterPlot::drawNothing(const QString& title) {
    const QSignalBlocker quiet(m_choice);
    m_choice->clear();
    m_choice->setEnabled(false);
    m_reading->clear();
    m_reading->setName(QStringLiteral("Reading"));
    m_rssi->clear();
    m_chart->setTitle(title.isEmpty() ? QStringLiteral("Select a meter to see its history")
                                      : title);
    m_time->setRange(QDateTime::currentDateTime().addSecs(-60), QDateTime::currentDateTime());
    m_time->setFormat(QStringLiteral("HH:mm:ss"));
    m_valueAxis->setTitleText(QString());
    fitAxis(m_valueAxis, {});
    fitAxis(m_rssiAxis, {});
}

// New records of the meter are added to the choice; the record chosen stays chosen. The
// first choice is the meter's main reading where it has one.
void MeterPlot::takeRecords() {
    const MeterHistory::Meter* history = m_table->history().meter(static_cast<std::size_t>(m_row));
    const std::size_t count = history ? history->records.size() : 0;
    if (static_cast<std::size_t>(m_choice->count()) == count)
        return;
    const QSignalBlocker quiet(m_choice);
    const bool first = m_choice->count() == 0;
    int preferred = -1;
    for (std::size_t i = static_cast<std::size_t>(m_choice->count()); i < count; ++i) {
        const MeterHistory::RecordSeries& series = history->records[i];
        m_choice->addItem(entryText(series), QByteArray::fromStdString(series.header));
        if (first && preferred < 0 && (series.name == "Volume" || series.name == "Energy"))
            preferred = m_choice->count() - 1;
    }
    if (preferred >= 0)
        m_choice->setCurrentIndex(preferred);
    m_choice->setEnabled(count > 0);
}

bool MeterPlot::timeRange(std::int64_t& first, std::int64_t& last) const {
    bool any = false;
    for (const QLineSeries* series : {m_reading, m_rssi}) {
        if (series->count() == 0)
            continue;
        const auto x = [series](int i) { return static_cast<std::int64_t>(series->at(i).x()); };
        first = any ? std::min(first, x(0)) : x(0);
        last = any ? std::max(last, x(series->count() - 1)) : x(series->count() - 1);
        any = true;
    }
    return any;
}

void MeterPlot::draw() {
    m_stale = false;
    if (!m_table || m_row < 0 || static_cast<std::size_t>(m_row) >= m_table->rows().size()) {
        drawNothing(QString());
        return;
    }
    const auto place = static_cast<std::size_t>(m_row);
    const MeterTable::Row& row = m_table->rows()[place];
    if (whoIs(row) != m_meter) { // another meter took the row's place
        m_meter = whoIs(row);
        const QSignalBlocker quiet(m_choice);
        m_choice->clear();
    }
    m_drawnChange = row.change;
    takeRecords();
    const MeterHistory::Meter* history = m_table->history().meter(place);
    const MeterHistory::RecordSeries* chosen =
        m_choice->currentIndex() < 0
            ? nullptr
            : m_table->history().record(place, m_choice->currentData().toByteArray().toStdString());
    const QList<QPointF> readings = pointsOf(chosen ? &chosen->points : nullptr);
    const QList<QPointF> rssi = pointsOf(history ? &history->rssi : nullptr);
    m_reading->replace(readings);
    m_reading->setName(chosen ? entryText(*chosen) : QStringLiteral("No readings"));
    m_rssi->replace(rssi);
    m_valueAxis->setTitleText(chosen ? QString::fromStdString(chosen->unit) : QString());
    fitAxis(m_valueAxis, readings);
    fitAxis(m_rssiAxis, rssi);
    std::int64_t first = 0;
    std::int64_t last = 0;
    if (timeRange(first, last)) {
        if (last - first < 2000) {
            first -= 30000;
            last += 30000;
        }
        m_time->setFormat(last - first > 86400000 ? QStringLiteral("dd.MM. HH:mm")
                                                  : QStringLiteral("HH:mm:ss"));
        m_time->setRange(QDateTime::fromMSecsSinceEpoch(first),
                         QDateTime::fromMSecsSinceEpoch(last));
    }
    m_chart->setTitle(QStringLiteral("%1 %2 %3")
                          .arg(QString::fromStdString(row.meter.identification),
                               QString::fromStdString(row.meter.manufacturer),
                               QString::fromStdString(row.meter.deviceText)));
}

} // namespace tovan
