#pragma once

#include "core/wmbus/CTelegramDecoder.h"
#include "core/wmbus/DataRecord.h"
#include "core/wmbus/MeterHistory.h"

#include <chrono>
#include <cstdint>
#include <istream>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace tovan {

// Every meter a second-family module has heard: who it is (manufacturer, identification,
// version, device type), its main reading, how often and when it was heard, and how well
// (RSSI); and the history of its signal strength and readings (MeterHistory).
//
// The table holds at most its limit of meters (garbled telegrams look like new meters): a
// meter beyond it takes the place of the one heard least recently, which is counted as evicted.
// A row never moves, so a view can follow the table by its changes.
class TelegramReader;

class MeterTable {
public:
    using Time = std::chrono::system_clock::time_point;
    static constexpr std::size_t DEFAULT_LIMIT = 10000;

    struct Row {
        TelegramFields meter; // as its last telegram said (rssiDbm: the last one)
        std::uint64_t telegrams = 0;
        Time firstSeen;
        Time lastSeen;
        int rssiMin = 0;
        int rssiMax = 0;
        long long rssiSum = 0;
        // The main reading, with its unit ("12.345 m3"), from the last telegram that had one;
        // empty until one could be read.
        std::string reading;
        double readingValue = 0.0;
        std::uint64_t change = 0; // the table's change count when the row last changed

        double rssiMean() const;
        // Mean time between two telegrams, in seconds; 0 with fewer than two.
        double meanIntervalSeconds() const;
    };

    // A calendar day in local time. Traffic text names only the time of day of its entries, so
    // reading it needs the day it starts on.
    struct Day {
        int year = 1970;
        int month = 1; // 1 to 12
        int day = 1;   // 1 to 31

        static Day today();
        // "YYYY-MM-DD"; false for text that names no day (2026-02-30 included).
        static bool parse(std::string_view text, Day& day);
        // "YYYY-MM-DD".
        std::string text() const;
    };

    // The columns, as the overview and the CSV have them.
    enum Column : std::size_t {
        MANUFACTURER,
        NAME,
        IDENTIFICATION,
        VERSION,
        TYPE,
        DEVICE,
        READING,
        TELEGRAMS,
        FIRST_SEEN,
        LAST_SEEN,
        MEAN_INTERVAL,
        RSSI_LAST,
        RSSI_MIN,
        RSSI_MEAN,
        RSSI_MAX,
        COLUMN_COUNT
    };

    explicit MeterTable(std::size_t limit = DEFAULT_LIMIT, MeterHistory::Limits history = {})
        : m_limit(limit ? limit : 1), m_history(history) {}

    // Counts one telegram of the meter `fields` describes, heard at `seen`, with its records
    // where they could be read (null: none).
    void add(const TelegramFields& fields, Time seen, const RecordList* records = nullptr);
    void clear();
    // In the order the meters were first heard, but for evicted meters, whose places the
    // newer ones took.
    const std::vector<Row>& rows() const { return m_rows; }
    // Meters that gave their place to newer ones since the table was cleared.
    std::uint64_t evicted() const { return m_evicted; }
    // Counts every change of a row; rows whose `change` is above a count seen earlier changed
    // since. Never goes back, also not when the table is cleared.
    std::uint64_t changes() const { return m_changes; }
    // Counts the clears: rows seen before one are gone.
    std::uint64_t clears() const { return m_clears; }
    // What each row's meter said over time, by the row's place.
    const MeterHistory& history() const { return m_history; }

    // The table as CSV: a header line, then one line per meter, fields that hold a comma or
    // a quote quoted.
    std::string toCsv() const;

    // The telegrams in traffic text as consoles and tovan-tool show or log it: a received
    // entry's time line ("hh:mm:ss  RX:", milliseconds allowed) followed, with or without a
    // decoded block between, by the telegram's hex text. Entries are in the order they came, so
    // a time of day more than 12 hours before the entry above it is on the next day: the text
    // starts on `firstDay` and may run over any number of midnights. With a `reader`, the
    // records are read as the console reads them (its keys, the formats seen before). Returns
    // the number of telegrams found.
    std::size_t readTrafficText(std::istream& text, const CTelegramDecoder& decoder,
                                const Day& firstDay, TelegramReader* reader = nullptr);

    // The record a meter's main reading is: its first volume or energy that is a number of
    // now (not a stored, maximum or minimum value), or null.
    static const DataRecord* mainReading(const RecordList& records);

    // The columns of the table, as the overview and the CSV name them.
    static const std::vector<std::string>& columnNames();
    // One row as the overview shows it, a text per column.
    static std::vector<std::string> columnTexts(const Row& row);
    // The text of one column of a row. The mean interval of a meter heard once is "-".
    static std::string columnText(const Row& row, std::size_t column);
    // Whether a view sorts the column by sortValue() rather than by its text: the reading, the
    // counts, the times (to the millisecond: meters heard within one second keep their order),
    // the mean interval and the RSSI values.
    static bool sortsByValue(std::size_t column);
    // The value to sort such a column by; times in seconds. A meter heard once has no mean
    // interval and sorts below every meter that has one.
    static double sortValue(const Row& row, std::size_t column);
    // Whether a column holds numbers (shown aligned right).
    static bool isNumberColumn(std::size_t column);

private:
    using Key = std::tuple<std::string, std::string, std::string, std::string>;

    static Key keyOf(const TelegramFields& fields);
    // The row for a meter heard for the first time: a new one, or the place of the meter
    // heard least recently when the table is full.
    std::size_t placeFor(const Key& key, Time seen);

    std::size_t m_limit;
    std::vector<Row> m_rows;
    std::map<Key, std::size_t> m_index;
    std::map<std::uint64_t, std::size_t> m_byRecency; // change count -> row
    std::uint64_t m_changes = 0;
    std::uint64_t m_evicted = 0;
    std::uint64_t m_clears = 0;
    MeterHistory m_history;
};

} // namespace tovan
