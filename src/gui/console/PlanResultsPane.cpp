#include "gui/console/PlanResultsPane.h"

#include "core/console/ConsolePlan.h"
#include "core/testplan/ResultsCsv.h"
#include "core/testplan/RunSummary.h"
#include "gui/console/CSplitterView.h"
#include "gui/console/LatencyChart.h"
#include "gui/console/PlanDriver.h"
#include "gui/shared/CsvExport.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace tovan {
namespace {

constexpr int REFRESH_MS = 100;

QString ms(double value) {
    return QString::number(value, 'f', 1);
}

QString summaryText(const RunSummary& s) {
    QString text = QStringLiteral("%1 results: %2 passed, %3 failed (%4 % passed)")
                       .arg(s.results)
                       .arg(s.passed)
                       .arg(s.failed)
                       .arg(QString::fromStdString(passRateText(s)));
    if (s.latencies > 0)
        text += QStringLiteral("; latency of %1 frames received: min %2, median %3, p95 %4, "
                               "max %5 ms")
                    .arg(s.latencies)
                    .arg(ms(s.minMs), ms(s.medianMs), ms(s.p95Ms), ms(s.maxMs));
    return text;
}

} // namespace

PlanResultsPane::PlanResultsPane(QWidget* parent) : QWidget(parent), m_model(this) {
    m_title = new QLabel(this);
    m_stop = new QPushButton(QStringLiteral("Stop"), this);
    m_export = new QPushButton(QStringLiteral("Export CSV..."), this);
    m_table = new QTableView(this);
    m_table->setModel(&m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false); // one line a result; a failure's whole reason is its tool tip
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_table->setColumnWidth(PlanResultsModel::NUMBER, 50);
    m_table->setColumnWidth(PlanResultsModel::STEP, 230);
    m_table->setColumnWidth(PlanResultsModel::SENT, 170);
    m_table->setColumnWidth(PlanResultsModel::RECEIVED, 170);
    m_table->setColumnWidth(PlanResultsModel::LATENCY, 90);
    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    m_chart = new LatencyChart(this);

    auto* top = new QHBoxLayout;
    top->addWidget(m_title, 1);
    top->addWidget(m_stop);
    top->addWidget(m_export);
    auto* results = new QWidget(this);
    auto* left = new QVBoxLayout(results);
    left->setContentsMargins(0, 0, 0, 0);
    left->addLayout(top);
    left->addWidget(m_table, 1);
    left->addWidget(m_summary);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(results);
    split->addWidget(m_chart);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(split);

    m_pace.setSingleShot(true);
    m_pace.setInterval(REFRESH_MS);
    connect(&m_pace, &QTimer::timeout, this, &PlanResultsPane::refresh);
    connect(m_stop, &QPushButton::clicked, this, &PlanResultsPane::stopPlan);
    connect(m_export, &QPushButton::clicked, this, &PlanResultsPane::exportCsv);
    refresh();
}

void PlanResultsPane::setConsole(CSplitterView* console) {
    if (m_console == console)
        return;
    disconnect(m_changes);
    disconnect(m_gone);
    m_console = console;
    m_model.setPlan(console ? &console->console().plan() : nullptr);
    if (console) {
        m_changes = connect(PlanDriver::of(console), &PlanDriver::changed, this,
                            &PlanResultsPane::scheduleRefresh);
        // The plan goes with its console; the table must not read it afterwards.
        m_gone = connect(console, &QObject::destroyed, this, [this] { setConsole(nullptr); });
    }
    refresh();
}

void PlanResultsPane::scheduleRefresh() {
    if (!m_pace.isActive())
        m_pace.start();
}

void PlanResultsPane::refresh() {
    m_pace.stop();
    const ConsolePlan* plan = m_console ? &m_console->console().plan() : nullptr;
    QScrollBar* scroll = m_table->verticalScrollBar();
    const bool atEnd = scroll->value() == scroll->maximum();
    m_model.refresh();
    if (atEnd) // the newest result in view, unless the user scrolled back to read
        m_table->scrollToBottom();
    const bool ran = plan && plan->end() != ConsolePlanEnd::None;
    m_title->setText(ran ? QStringLiteral("Test plan %1: %2")
                               .arg(QString::fromStdString(plan->name()),
                                    QString::fromStdString(plan->endText()))
                         : QStringLiteral("No test plan has run on this console."));
    m_stop->setEnabled(plan && plan->running());
    m_export->setEnabled(ran && !plan->results().empty());
    const RunSummary summary = plan ? summarize(plan->results()) : RunSummary{};
    m_summary->setText(ran ? summaryText(summary) : QString());
    m_chart->setBuckets(summary.histogram);
}

void PlanResultsPane::stopPlan() {
    if (m_console)
        PlanDriver::of(m_console)->stop();
    refresh();
}

void PlanResultsPane::exportCsv() {
    if (m_console)
        tovan::exportCsv(
            this, QStringLiteral("Export test plan results"),
            QByteArray::fromStdString(resultsCsv(m_console->console().plan().results())));
}

} // namespace tovan
