#include "gui/console/MeterOverview.h"

#include "core/wmbus/MeterTable.h"
#include "gui/console/CSplitterView.h"
#include "gui/console/TrafficFindBar.h"
#include "gui/shared/CsvExport.h"
#include "gui/wmbus/MeterPlot.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace tovan {
namespace {

bool isNumberColumn(int column) {
    return MeterTable::isNumberColumn(static_cast<std::size_t>(column));
}

QString summaryText(const MeterTable& meters, const QString& console) {
    QString text = QStringLiteral("%1 meter(s) since %2 opened or was cleared")
                       .arg(meters.rows().size())
                       .arg(console);
    if (meters.evicted() > 0)
        text += QStringLiteral("; %1 heard least recently no longer listed (at most %2)")
                    .arg(meters.evicted())
                    .arg(MeterTable::DEFAULT_LIMIT);
    return text;
}

} // namespace

void MeterTableModel::setTable(const MeterTable* table) {
    beginResetModel();
    m_table = table;
    m_rowCount = table ? static_cast<int>(table->rows().size()) : 0;
    m_seenChanges = table ? table->changes() : 0;
    m_seenClears = table ? table->clears() : 0;
    endResetModel();
}

void MeterTableModel::refresh() {
    if (!m_table)
        return;
    takeClear();
    tellChangedRows();
    const int rows = static_cast<int>(m_table->rows().size());
    if (rows > m_rowCount) {
        beginInsertRows({}, m_rowCount, rows - 1);
        m_rowCount = rows;
        endInsertRows();
    }
    m_seenChanges = m_table->changes();
}

void MeterTableModel::takeClear() {
    if (m_table->clears() == m_seenClears)
        return;
    m_seenClears = m_table->clears();
    if (m_rowCount == 0)
        return;
    beginRemoveRows({}, 0, m_rowCount - 1);
    m_rowCount = 0;
    endRemoveRows();
}

// One notice from the first to the last row that changed: a count, a time, a meter that took
// an evicted meter's place.
void MeterTableModel::tellChangedRows() {
    const auto& rows = m_table->rows();
    int first = -1;
    int last = -1;
    for (int i = 0; i < m_rowCount && i < static_cast<int>(rows.size()); ++i) {
        if (rows[static_cast<std::size_t>(i)].change <= m_seenChanges)
            continue;
        if (first < 0)
            first = i;
        last = i;
    }
    if (first >= 0)
        Q_EMIT dataChanged(index(first, 0), index(last, columnCount() - 1));
}

int MeterTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int MeterTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(MeterTable::columnNames().size());
}

QVariant MeterTableModel::data(const QModelIndex& index, int role) const {
    if (!m_table || !index.isValid() || index.row() >= rowCount() ||
        index.row() >= static_cast<int>(m_table->rows().size()))
        return {};
    if (role != Qt::DisplayRole && role != SORT_ROLE && role != Qt::TextAlignmentRole)
        return {};
    if (role == Qt::TextAlignmentRole)
        return isNumberColumn(index.column()) ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                              : QVariant();
    const auto& row = m_table->rows()[static_cast<std::size_t>(index.row())];
    const auto column = static_cast<std::size_t>(index.column());
    if (role == SORT_ROLE && MeterTable::sortsByValue(column))
        return MeterTable::sortValue(row, column);
    return QString::fromStdString(MeterTable::columnText(row, column));
}

QVariant MeterTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return QString::fromStdString(MeterTable::columnNames()[static_cast<std::size_t>(section)]);
}

MeterOverview::MeterOverview(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("meterOverview"));
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(&m_model);
    m_sorted->setSortRole(MeterTableModel::SORT_ROLE);
    m_view = new QTableView(this);
    m_view->setModel(m_sorted);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(MeterTable::LAST_SEEN, Qt::DescendingOrder); // the meter heard last on top
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    placeReadingColumn();
    // A reset of the model (another console) puts the header's sections back in order.
    connect(m_sorted, &QAbstractItemModel::modelReset, this, &MeterOverview::placeReadingColumn);
    m_view->setToolTip(QStringLiteral("Double-click a meter to see only its telegrams"));
    m_summary = new QLabel(this);
    auto* exportButton = new QPushButton(QStringLiteral("Export CSV..."), this);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_summary, 1);
    bottom->addWidget(exportButton);
    m_plot = new MeterPlot(this);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("meterSplitter"));
    split->setChildrenCollapsible(false);
    split->addWidget(m_view);
    split->addWidget(m_plot);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(split, 1);
    layout->addLayout(bottom);

    m_refresh.setSingleShot(true);
    m_refresh.setInterval(250);
    connect(&m_refresh, &QTimer::timeout, this, &MeterOverview::refresh);
    connect(exportButton, &QPushButton::clicked, this, &MeterOverview::exportCsv);
    connect(m_view, &QTableView::doubleClicked, this, &MeterOverview::filterToRow);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &MeterOverview::plotRow);
    refresh();
}

// Who a meter is and what it reads side by side, also where the pane is narrow; the CSV keeps
// the table's order.
void MeterOverview::placeReadingColumn() {
    QHeaderView* header = m_view->horizontalHeader();
    header->moveSection(header->visualIndex(MeterTable::READING), MeterTable::IDENTIFICATION + 1);
}

void MeterOverview::setConsole(CSplitterView* console) {
    if (m_console == console)
        return;
    if (m_console)
        disconnect(m_console, nullptr, this, nullptr);
    m_console = console && console->family() == ModuleFamily::VM77 ? console : nullptr;
    m_model.setTable(m_console ? &m_console->console().traffic().meters() : nullptr);
    m_plot->setMeter(m_model.table(), -1);
    if (m_console) {
        connect(m_console, &CSplitterView::metersChanged, this, &MeterOverview::scheduleRefresh);
        // Only the object is left by now: nothing of the console may be touched.
        connect(m_console, &QObject::destroyed, this, [this] {
            m_plot->setMeter(nullptr, -1);
            m_model.setTable(nullptr);
            m_console.clear();
            refresh();
        });
    }
    refresh();
}

void MeterOverview::scheduleRefresh() {
    if (!m_refresh.isActive())
        m_refresh.start();
}

void MeterOverview::refresh() {
    m_model.refresh();
    m_plot->refresh();
    if (!m_console)
        m_summary->setText(QStringLiteral("Meters are listed for a VM77 console."));
    else
        m_summary->setText(
            summaryText(m_console->console().traffic().meters(), m_console->windowTitle()));
}

void MeterOverview::filterToRow(const QModelIndex& index) {
    if (!m_console || !index.isValid())
        return;
    const QModelIndex id = m_sorted->index(index.row(), MeterTable::IDENTIFICATION);
    m_console->findBar()->setFilterText(id.data().toString());
}

// The plot follows the current row; rows never move in the table, so the place stays right
// while the view sorts.
void MeterOverview::plotRow(const QModelIndex& index) {
    m_plot->setMeter(m_model.table(), index.isValid() ? m_sorted->mapToSource(index).row() : -1);
}

void MeterOverview::exportCsv() {
    if (m_console)
        tovan::exportCsv(
            this, QStringLiteral("Export meters"),
            QByteArray::fromStdString(m_console->console().traffic().meters().toCsv()));
}

} // namespace tovan
