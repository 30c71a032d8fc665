#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace tovan {

class CSplitterView;
class MeterPlot;
class MeterTable;

// The meter table of one console as a Qt model: one row per meter, a column per field,
// numbers sorted as numbers. It follows the table by its changes (rows inserted, rows changed,
// all rows removed on a clear), so views keep their selection and position.
class MeterTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The role that sorts: numbers for the counting columns, texts for the others.
    static constexpr int SORT_ROLE = Qt::UserRole;

    void setTable(const MeterTable* table);
    const MeterTable* table() const { return m_table; }
    // Tells the views what changed in the table since the last call.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void takeClear();
    void tellChangedRows();

    const MeterTable* m_table = nullptr;
    int m_rowCount = 0; // what the views were told
    std::uint64_t m_seenChanges = 0;
    std::uint64_t m_seenClears = 0;
};

// The meter overview of the active second-family console: every meter heard since the
// console opened or since Clear view, with its main reading, sortable by any column; beside
// it the selected meter's readings and signal strength over time. A double-click filters the
// console's traffic to that meter; the table can be exported as CSV.
class MeterOverview : public QWidget {
    Q_OBJECT
public:
    explicit MeterOverview(QWidget* parent = nullptr);

    // The console whose meters are shown; null (or a first-family console) shows none.
    void setConsole(CSplitterView* console);
    CSplitterView* console() const { return m_console; }
    QTableView* table() const { return m_view; }
    MeterPlot* plot() const { return m_plot; }
    // Writes the table as CSV to a file the user chooses.
    void exportCsv();

private:
    void scheduleRefresh();
    void refresh();
    void filterToRow(const QModelIndex& index);
    void plotRow(const QModelIndex& index);
    void placeReadingColumn();

    QPointer<CSplitterView> m_console;
    MeterTableModel m_model;
    QSortFilterProxyModel* m_sorted = nullptr;
    QTableView* m_view = nullptr;
    QLabel* m_summary = nullptr;
    MeterPlot* m_plot = nullptr;
    // Telegrams may arrive thousands a second; the table and the plot are shown anew at most
    // four times a second.
    QTimer m_refresh;
};

} // namespace tovan
