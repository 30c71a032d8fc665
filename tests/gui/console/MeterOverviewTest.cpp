// The meter overview's model under traffic: it keeps Qt's model contract (checked by Qt's own
// tester), tells views only what changed so a selection stays on its meter, and stays within
// its bound when garbage looks like ever new meters.
#include "core/wmbus/MeterTable.h"
#include "gui/console/CSplitterView.h"
#include "gui/console/MeterOverview.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QSortFilterProxyModel>

#include <gtest/gtest.h>
#include <set>
#include <string>

using namespace tovan;

namespace {

TelegramFields meter(int id) {
    TelegramFields fields;
    fields.manufacturer = "ABC";
    fields.identification = QString::number(10000000 + id).toStdString();
    fields.version = "01";
    fields.deviceType = "07";
    fields.rssiDbm = -60 - id % 10;
    return fields;
}

MeterTable::Time at(int second) {
    return MeterTable::Time(std::chrono::seconds(1800000000 + second));
}

} // namespace

TEST(MeterTableModel, FollowsTheTableWithoutResetsAndKeepsTheSelectedMeter) {
    MeterTable table(5);
    MeterTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setTable(&table);
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(&model);
    sorted.setSortRole(MeterTableModel::SORT_ROLE);
    sorted.sort(6, Qt::DescendingOrder); // by telegram count
    QItemSelectionModel selection(&sorted);
    int resets = 0;
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });

    for (int id = 0; id < 3; ++id)
        table.add(meter(id), at(id));
    model.refresh();
    ASSERT_EQ(model.rowCount(), 3);
    const QModelIndex second = sorted.match(sorted.index(0, 2), Qt::DisplayRole,
                                            QStringLiteral("10000002"))
                                   .value(0);
    selection.select(second, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);

    table.add(meter(2), at(10)); // the selected meter is heard again and sorts to the top
    table.add(meter(3), at(11));
    model.refresh();
    EXPECT_EQ(model.rowCount(), 4);
    ASSERT_EQ(selection.selectedRows(2).size(), 1);
    EXPECT_EQ(selection.selectedRows(2)[0].data().toString(), QStringLiteral("10000002"));
    EXPECT_EQ(resets, 0);

    // Beyond its bound the table gives the least recently heard meter's place to a new one.
    for (int id = 4; id < 8; ++id)
        table.add(meter(id), at(20 + id));
    table.add(meter(3), at(30)); // heard again: kept
    table.add(meter(8), at(31));
    model.refresh();
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(table.evicted(), 4u);
    std::set<std::string> listed;
    for (const MeterTable::Row& row : table.rows())
        listed.insert(row.meter.identification);
    EXPECT_EQ(listed, (std::set<std::string>{"10000003", "10000005", "10000006", "10000007",
                                             "10000008"}));

    table.clear();
    model.refresh();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(resets, 0);
}
