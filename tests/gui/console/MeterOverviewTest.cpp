// The meter overview's model under traffic: it keeps Qt's model contract (checked by Qt's own
// tester), tells views only what changed so a selection stays on its meter, and stays within
// its bound when garbage looks like ever new meters. The overview shows each meter's main
// reading and plots the selected meter's records and signal strength as telegrams come.
#include "gui/console/MeterOverview.h"

#include "core/console/ConsoleCommands.h"
#include "core/frames/CHexCodec.h"
#include "core/hub/ConsoleMessage.h"
#include "core/wmbus/MeterTable.h"
#include "gui/console/CSplitterView.h"
#include "gui/console/CSplitterViewVM77.h"
#include "gui/wmbus/MeterPlot.h"
#include "tests/support/RecordingDialogs.h"
#include "tools/modsim/TelegramSet.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineSeries>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>

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

// A telegram of the simulator's heat meter with its energy in kWh.
std::vector<std::uint8_t> heat(unsigned kWh, std::uint8_t signal) {
    std::vector<std::uint8_t> records{0x04, 0x06};
    for (int i = 0; i < 4; ++i)
        records.push_back(static_cast<std::uint8_t>(kWh >> (8 * i)));
    std::vector<std::uint8_t> rest(24);
    CHexCodec().HexToBytes("44 06 E8 03 00 00 42 6C 5E 3B 04 13 F1 D4 00 00 02 2D 0F 00 02 5A "
                           "C4 01",
                           rest.data(), rest.size());
    records.insert(records.end(), rest.begin(), rest.end());
    return modsim::makeTelegram("ITW", "55667788", 0x33, 0x04, {0x77, 0x00, records, nullptr},
                                signal)
        .bytes;
}

std::vector<double> ys(const QLineSeries& series) {
    std::vector<double> values;
    for (const QPointF& point : series.points())
        values.push_back(point.y());
    return values;
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
    sorted.sort(MeterTable::TELEGRAMS, Qt::DescendingOrder);
    QItemSelectionModel selection(&sorted);
    int resets = 0;
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });

    for (int id = 0; id < 3; ++id)
        table.add(meter(id), at(id));
    model.refresh();
    ASSERT_EQ(model.rowCount(), 3);
    const QModelIndex second =
        sorted.match(sorted.index(0, 2), Qt::DisplayRole, QStringLiteral("10000002")).value(0);
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
    EXPECT_EQ(listed,
              (std::set<std::string>{"10000003", "10000005", "10000006", "10000007", "10000008"}));

    table.clear();
    model.refresh();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(resets, 0);
}

TEST(MeterOverview, ShowsEachMetersReadingAndPlotsTheSelectedMetersHistory) {
    test::RecordingDialogs dialogs;
    CSplitterViewVM77 console;
    MeterOverview overview;
    overview.resize(1100, 400);
    overview.show();
    overview.setConsole(&console);
    auto receive = [&](const std::vector<std::uint8_t>& bytes) {
        console.console().deliver(CD_RX_FRAME, bytes.data(), bytes.size());
    };
    receive(heat(1234, 0x10));
    receive(modsim::telegramSet()[5].bytes); // the cold-water meter, 100000 l
    QAbstractItemModel& rows = *overview.table()->model();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows.rowCount() == 2; }, 2000));
    EXPECT_EQ(rows.headerData(MeterTable::READING, Qt::Horizontal), "Reading");
    // The meter heard last on top.
    EXPECT_EQ(rows.index(0, MeterTable::READING).data(), "100.000 m3");
    EXPECT_EQ(rows.index(1, MeterTable::READING).data(), "1.234 MWh");
    EXPECT_EQ(overview.table()->horizontalHeader()->visualIndex(MeterTable::READING),
              MeterTable::IDENTIFICATION + 1)
        << "shown beside the identification";

    MeterPlot& plot = *overview.plot();
    EXPECT_EQ(plot.readingSeries()->count(), 0) << "no meter selected";
    overview.table()->setCurrentIndex(rows.index(1, 0));
    QStringList records;
    for (int i = 0; i < plot.recordChoice()->count(); ++i)
        records << plot.recordChoice()->itemText(i);
    EXPECT_EQ(records, (QStringList{"Energy in MWh", "Energy (storage 1) in MWh", "Volume in m3",
                                    "Power in kW", QStringLiteral("Flow temperature in °C")}));
    EXPECT_EQ(plot.recordChoice()->currentText(), "Energy in MWh");
    EXPECT_EQ(ys(*plot.readingSeries()), (std::vector<double>{1.234}));

    // The plot follows new telegrams at the overview's pace.
    receive(heat(1240, 0x20));
    receive(heat(1250, 0x30));
    ASSERT_TRUE(QTest::qWaitFor([&] { return plot.readingSeries()->count() == 3; }, 2000));
    EXPECT_EQ(ys(*plot.readingSeries()), (std::vector<double>{1.234, 1.240, 1.250}));
    const MeterTable::Row& row = console.console().traffic().meters().rows()[0];
    ASSERT_EQ(plot.rssiSeries()->count(), 3);
    EXPECT_EQ(plot.rssiSeries()->at(0).y(), row.rssiMin);
    EXPECT_EQ(plot.rssiSeries()->at(2).y(), row.rssiMax);
    EXPECT_LT(row.rssiMin, row.rssiMax);
    EXPECT_EQ(plot.readingSeries()->at(2).x(),
              static_cast<double>(MeterHistory::millisecondsOf(row.lastSeen)));

    plot.recordChoice()->setCurrentText("Volume in m3");
    EXPECT_EQ(ys(*plot.readingSeries()), (std::vector<double>{54.513, 54.513, 54.513}));

    console.commandAction(consolecmd::ID_CLEAR_VIEW)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows.rowCount() == 0; }, 2000));
    EXPECT_EQ(plot.readingSeries()->count(), 0);
    EXPECT_EQ(plot.rssiSeries()->count(), 0);
}
