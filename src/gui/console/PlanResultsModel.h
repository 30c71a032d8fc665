#pragma once

#include "core/testplan/StepResult.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

namespace tovan {

class ConsolePlan;

// The results of a console's test plan as a table: one row per result, passed rows green,
// failed rows red. It follows the plan by its result count: rows are only added while a run
// goes on, and a new run (or another console) starts the table anew.
class PlanResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NUMBER, STEP, SENT, RECEIVED, LATENCY, RESULT, COLUMN_COUNT };

    using QAbstractTableModel::QAbstractTableModel;

    // The plan to show; null for none.
    void setPlan(const ConsolePlan* plan);
    // Takes in what the plan found since the last call.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const std::vector<StepResult>& results() const;
    QString text(const StepResult& result, int column) const;

    const ConsolePlan* m_plan = nullptr;
    std::uint64_t m_run = 0;
    int m_rows = 0;
};

} // namespace tovan
