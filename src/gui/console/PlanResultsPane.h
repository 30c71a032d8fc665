#pragma once

#include "gui/console/PlanResultsModel.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;
class QTableView;

namespace tovan {

class CSplitterView;
class LatencyChart;

// The results of the active console's test plan: what was sent and received at each step,
// the latency and the verdict, a summary with the pass rate and the latency figures, and the
// latency histogram. Stop ends the run; Export CSV... writes the results. It follows the run
// at most ten times a second, however fast the frames come.
class PlanResultsPane : public QWidget {
    Q_OBJECT
public:
    explicit PlanResultsPane(QWidget* parent = nullptr);

    void setConsole(CSplitterView* console);
    // Shows the run as it is now.
    void refresh();

    QTableView* table() const { return m_table; }
    QLabel* title() const { return m_title; }
    QLabel* summary() const { return m_summary; }
    QPushButton* stopButton() const { return m_stop; }
    LatencyChart* chart() const { return m_chart; }

private:
    void scheduleRefresh();
    void stopPlan();
    void exportCsv();

    QPointer<CSplitterView> m_console;
    PlanResultsModel m_model;
    QTimer m_pace;
    QLabel* m_title = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_export = nullptr;
    QTableView* m_table = nullptr;
    LatencyChart* m_chart = nullptr;
    QMetaObject::Connection m_changes;
    QMetaObject::Connection m_gone;
};

} // namespace tovan
