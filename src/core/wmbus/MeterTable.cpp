#include "core/wmbus/MeterTable.h"

#include "core/frames/CHexCodec.h"
#include "core/wmbus/TelegramReader.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <regex>

namespace tovan {
namespace {

std::string timeText(MeterTable::Time time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string csvField(const std::string& field) {
    if (field.find_first_of(",\"\n") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (char c : field)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// Hex text as the codec writes it: pairs of upper-case digits, one space between them.
bool isHexText(const std::string& text) {
    if (text.size() < 2 || text.size() % 3 != 2)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i % 3 == 2 ? c != ' ' : !std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// Today at the time of day a traffic entry names.
MeterTable::Time today(int hours, int minutes, int seconds, int milliseconds) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    local.tm_hour = hours;
    local.tm_min = minutes;
    local.tm_sec = seconds;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local)) +
           std::chrono::milliseconds(milliseconds);
}

} // namespace

double MeterTable::Row::rssiMean() const {
    return telegrams ? static_cast<double>(rssiSum) / static_cast<double>(telegrams) : 0.0;
}

double MeterTable::Row::meanIntervalSeconds() const {
    if (telegrams < 2)
        return 0.0;
    return std::chrono::duration<double>(lastSeen - firstSeen).count() /
           static_cast<double>(telegrams - 1);
}

MeterTable::Key MeterTable::keyOf(const TelegramFields& fields) {
    return Key{fields.manufacturer, fields.identification, fields.version, fields.deviceType};
}

std::size_t MeterTable::placeFor(const Key& key, Time seen) {
    std::size_t place = m_rows.size();
    if (m_rows.size() < m_limit) {
        m_rows.emplace_back();
    } else {
        place = m_byRecency.begin()->second;
        m_byRecency.erase(m_byRecency.begin());
        m_index.erase(keyOf(m_rows[place].meter));
        m_rows[place] = Row{};
        m_history.forget(place);
        ++m_evicted;
    }
    m_index.emplace(key, place);
    m_rows[place].firstSeen = seen;
    return place;
}

const DataRecord* MeterTable::mainReading(const RecordList& records) {
    for (const DataRecord& record : records.records) {
        const std::string_view what = record.description;
        if ((what == "Volume" || what == "Energy") && record.storage == 0 &&
            record.function == RecordFunction::Instantaneous &&
            record.value.kind == RecordValue::Kind::Number)
            return &record;
    }
    return nullptr;
}

void MeterTable::add(const TelegramFields& fields, Time seen, const RecordList* records) {
    const Key key = keyOf(fields);
    const auto found = m_index.find(key);
    const bool known = found != m_index.end();
    const std::size_t place = known ? found->second : placeFor(key, seen);
    Row& row = m_rows[place];
    if (known) {
        m_byRecency.erase(row.change);
    } else {
        row.rssiMin = row.rssiMax = fields.rssiDbm;
    }
    row.meter = fields;
    ++row.telegrams;
    row.lastSeen = seen;
    row.rssiMin = std::min(row.rssiMin, fields.rssiDbm);
    row.rssiMax = std::max(row.rssiMax, fields.rssiDbm);
    row.rssiSum += fields.rssiDbm;
    const DataRecord* reading = records ? mainReading(*records) : nullptr;
    if (reading && MeterHistory::numberOf(*reading, row.readingValue))
        row.reading =
            reading->unit.empty() ? reading->value.text : reading->value.text + ' ' + reading->unit;
    row.change = ++m_changes;
    m_byRecency.emplace(row.change, place);
    m_history.add(place, seen, fields.rssiDbm, records);
}

void MeterTable::clear() {
    m_rows.clear();
    m_index.clear();
    m_byRecency.clear();
    m_history.clear();
    m_evicted = 0;
    ++m_clears;
}

const std::vector<std::string>& MeterTable::columnNames() {
    static const std::vector<std::string> names{
        "Manufacturer", "Name",      "Identification",    "Version",
        "Type",         "Device",    "Reading",           "Telegrams",
        "First seen",   "Last seen", "Mean interval (s)", "RSSI last",
        "RSSI min",     "RSSI mean", "RSSI max"};
    return names;
}

bool MeterTable::isNumberColumn(std::size_t column) {
    return column == READING || column == TELEGRAMS || column >= MEAN_INTERVAL;
}

std::string MeterTable::columnText(const Row& row, std::size_t column) {
    switch (column) {
    case MANUFACTURER:
        return row.meter.manufacturer;
    case NAME:
        return row.meter.manufacturerName;
    case IDENTIFICATION:
        return row.meter.identification;
    case VERSION:
        return row.meter.version;
    case TYPE:
        return row.meter.deviceType;
    case DEVICE:
        return row.meter.deviceText;
    case READING:
        return row.reading;
    case TELEGRAMS:
        return std::to_string(row.telegrams);
    case FIRST_SEEN:
        return timeText(row.firstSeen);
    case LAST_SEEN:
        return timeText(row.lastSeen);
    case MEAN_INTERVAL:
        return fixed(row.meanIntervalSeconds(), 1);
    case RSSI_LAST:
        return std::to_string(row.meter.rssiDbm);
    case RSSI_MIN:
        return std::to_string(row.rssiMin);
    case RSSI_MEAN:
        return fixed(row.rssiMean(), 1);
    case RSSI_MAX:
        return std::to_string(row.rssiMax);
    default:
        return {};
    }
}

std::vector<std::string> MeterTable::columnTexts(const Row& row) {
    std::vector<std::string> texts;
    for (std::size_t column = 0; column < columnNames().size(); ++column)
        texts.push_back(columnText(row, column));
    return texts;
}

std::string MeterTable::toCsv() const {
    std::string csv;
    auto line = [&csv](const std::vector<std::string>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            csv += (i ? "," : "") + csvField(fields[i]);
        csv += "\r\n";
    };
    line(columnNames());
    for (const Row& row : m_rows)
        line(columnTexts(row));
    return csv;
}

std::size_t MeterTable::readTrafficText(std::istream& text, const CTelegramDecoder& decoder,
                                        TelegramReader* reader) {
    static const std::regex header(
        R"(^(\d\d):(\d\d):(\d\d)(?:\.(\d\d\d))?(?: \([^)]*\))?  (RX|TX):\s*$)");
    std::size_t found = 0;
    bool haveTime = false;
    Time time;
    std::string line;
    std::vector<std::uint8_t> bytes;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::smatch parts;
        if (std::regex_match(line, parts, header)) {
            haveTime = parts[5] == "RX";
            if (haveTime)
                time = today(std::stoi(parts[1]), std::stoi(parts[2]), std::stoi(parts[3]),
                             parts[4].matched ? std::stoi(parts[4]) : 0);
            continue;
        }
        // The frame line starts with a space; characters may stand beside the bytes.
        std::string hex = line.substr(line.find_first_not_of(' ') == std::string::npos
                                          ? line.size()
                                          : line.find_first_not_of(' '));
        hex = hex.substr(0, hex.find("  "));
        TelegramFields fields;
        if (haveTime && isHexText(hex) && decoder.IsTelegram(hex) &&
            decoder.DecodeFields(hex, fields)) {
            if (reader) {
                bytes.resize(static_cast<std::size_t>(CHexCodec::HexByteCount(hex)));
                CHexCodec().HexToBytes(hex, bytes.data(), bytes.size());
                const TelegramReading reading = reader->read(ByteView(bytes.data(), bytes.size()));
                add(fields, time, &reading.records);
            } else {
                add(fields, time);
            }
            haveTime = false;
            ++found;
        }
    }
    return found;
}

} // namespace tovan
