// tovan-tool meters: the meter overview of a VM77 console, from traffic text (a console's log,
// what tovan-tool monitor printed) or from a live port.
#include "core/wmbus/CTelegramDecoder.h"
#include "core/wmbus/MeterTable.h"
#include "core/wmbus/TelegramReader.h"
#include "tools/tovan-tool/Commands.h"
#include "tools/tovan-tool/InputFile.h"
#include "tools/tovan-tool/KeyFileLoading.h"
#include "tools/tovan-tool/MonitorOptions.h"

#include <algorithm>
#include <iostream>
#include <sstream>

namespace tovan::tool {
namespace {

void printTable(const MeterTable& table, bool csv) {
    if (csv) {
        std::cout << table.toCsv();
        return;
    }
    std::vector<std::vector<std::string>> lines{MeterTable::columnNames()};
    for (const MeterTable::Row& row : table.rows())
        lines.push_back(MeterTable::columnTexts(row));
    std::vector<std::size_t> widths(lines.front().size(), 0);
    for (const auto& line : lines)
        for (std::size_t i = 0; i < line.size(); ++i)
            widths[i] = std::max(widths[i], line[i].size());
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t i = 0; i < line.size(); ++i)
            text +=
                line[i] + (i + 1 < line.size() ? std::string(widths[i] - line[i].size() + 2, ' ')
                                               : std::string());
        std::cout << text << '\n';
    }
}

} // namespace

int runMeters(const MetersOptions& options) {
    MeterTable table;
    if (options.live) {
        MonitorOptions monitor = options.monitor;
        monitor.meters = &table;
        const int status = runMonitor(monitor);
        printTable(table, options.csv);
        return status;
    }
    // Traffic text names only times of day; each file starts on the day given.
    MeterTable::Day day = MeterTable::Day::today();
    if (!options.date.empty())
        MeterTable::Day::parse(options.date, day); // checked with the command line
    // The readings come out of the records, as the console reads them: with the same keys.
    MeterKeys keys;
    if (!loadMeterKeys(options.monitor.keys, keys))
        return EXIT_FAILED;
    TelegramReader reader;
    reader.setKeys(keys);
    const CTelegramDecoder decoder;
    bool failed = false;
    for (const std::string& name :
         options.files.empty() ? std::vector<std::string>{"-"} : options.files) {
        std::string content;
        if (!readWhole(name, content)) {
            failed = true;
            continue;
        }
        std::istringstream text(content);
        table.readTrafficText(text, decoder, day, &reader);
    }
    if (options.date.empty() && !table.rows().empty())
        std::cerr << "tovan-tool meters: the traffic names no date; taken to start today, "
                  << day.text() << " (--date YYYY-MM-DD names the day)\n";
    printTable(table, options.csv);
    return failed ? EXIT_FAILED : 0;
}

} // namespace tovan::tool
