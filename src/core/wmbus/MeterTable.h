#pragma once

#include "core/wmbus/CTelegramDecoder.h"

#include <chrono>
#include <cstdint>
#include <istream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace tovan {

// Every meter a second-family module has heard: who it is (manufacturer, identification,
// version, device type), how often and when it was heard, and how well (RSSI).
class MeterTable {
public:
    using Time = std::chrono::system_clock::time_point;

    struct Row {
        TelegramFields meter; // as its last telegram said (rssiDbm: the last one)
        std::uint64_t telegrams = 0;
        Time firstSeen;
        Time lastSeen;
        int rssiMin = 0;
        int rssiMax = 0;
        long long rssiSum = 0;

        double rssiMean() const;
        // Mean time between two telegrams, in seconds; 0 with fewer than two.
        double meanIntervalSeconds() const;
    };

    // Counts one telegram of the meter `fields` describes, heard at `seen`.
    void add(const TelegramFields& fields, Time seen);
    void clear();
    // In the order the meters were first heard.
    const std::vector<Row>& rows() const { return m_rows; }

    // The table as CSV: a header line, then one line per meter, fields that hold a comma or
    // a quote quoted.
    std::string toCsv() const;

    // The telegrams in traffic text as consoles and tovan-tool show or log it: a received
    // entry's time line ("hh:mm:ss  RX:", milliseconds allowed) followed, with or without a
    // decoded block between, by the telegram's hex text. Times of day are taken as today's.
    // Returns the number of telegrams found.
    std::size_t readTrafficText(std::istream& text, const CTelegramDecoder& decoder);

    // The columns of the table, as the overview and the CSV name them.
    static const std::vector<std::string>& columnNames();
    // One row as the overview shows it, a text per column.
    static std::vector<std::string> columnTexts(const Row& row);
    // The text of one column of a row.
    static std::string columnText(const Row& row, std::size_t column);

private:
    using Key = std::tuple<std::string, std::string, std::string, std::string>;

    std::vector<Row> m_rows;
    std::map<Key, std::size_t> m_index;
};

} // namespace tovan
