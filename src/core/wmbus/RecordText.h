#pragma once

#include "core/wmbus/DataRecord.h"
#include "core/wmbus/TelegramReading.h"

#include <string>
#include <string_view>
#include <vector>

namespace tovan {

// The words a reader sees for what a telegram says: one line for the layers, one per record
// ("Volume 12.345 m3", "Energy 1.234 MWh (storage 1, 2026-11-30)"), and lines for what could
// not be read. UTF-8 unless said otherwise; no line holds a key.
class RecordText {
public:
    static std::vector<std::string> lines(const TelegramReading& reading);

    // The same lines for the console's traffic window: Latin-1 (one byte a character, so
    // the degree sign is 0xB0), each ending in CR LF.
    static std::string consoleBlock(const TelegramReading& reading);

    // The layers after the link layer: "CI 7A (response), access 42, no error, security
    // mode 5, decrypted". Empty when the telegram ends at its link-layer header.
    static std::string layersLine(const TelegramReading& reading);

    // A record's line. `storageDate` is the date of the record's storage, or empty.
    static std::string recordLine(const DataRecord& record, std::string_view storageDate);

    // Which record it is, without its value: what its VIFEs add and the qualifiers that are
    // not the default, "Volume (storage 1)", "Power (maximum, tariff 2)".
    static std::string recordLabel(const DataRecord& record);

    // What the record is, with what its VIFEs add: "Volume (forward flow)".
    static std::string recordName(const DataRecord& record);

    // The date or time the records name for their storage number (and subunit), for each
    // record: empty where there is none, or for the date records themselves.
    static std::vector<std::string_view> storageDates(const std::vector<DataRecord>& records);

    // Characters beyond Latin-1 become '?'.
    static std::string toLatin1(std::string_view utf8);

private:
    // Calls `sink` with each line, built in `line` (UTF-8, without its end).
    template <class Sink>
    static void forEachLine(const TelegramReading& reading, std::string& line, Sink&& sink);
    static void appendRecordLine(std::string& line, const DataRecord& record,
                                 std::string_view storageDate);
    // " (qualifier, ..., storage date)" where there is any.
    static void appendQualifiers(std::string& line, const DataRecord& record,
                                 std::string_view storageDate);
    static void appendLatin1(std::string& out, std::string_view utf8);
};

} // namespace tovan
