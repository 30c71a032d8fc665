#include "core/wmbus/MeterTable.h"

#include "core/frames/CHexCodec.h"
#include "core/wmbus/TelegramReader.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <limits>
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

constexpr long MS_PER_DAY = 24L * 60 * 60 * 1000;

// The local time `msOfDay` milliseconds into the day `offset` days after `day`; mktime puts
// a day past the end of a month into the next one and knows the summer-time changes.
MeterTable::Time timeOn(const MeterTable::Day& day, int offset, long msOfDay) {
    std::tm local{};
    local.tm_year = day.year - 1900;
    local.tm_mon = day.month - 1;
    local.tm_mday = day.day + offset;
    local.tm_hour = static_cast<int>(msOfDay / 3600000);
    local.tm_min = static_cast<int>(msOfDay / 60000 % 60);
    local.tm_sec = static_cast<int>(msOfDay / 1000 % 60);
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local)) +
           std::chrono::milliseconds(msOfDay % 1000);
}

double secondsOf(MeterTable::Time time) {
    return std::chrono::duration<double>(time.time_since_epoch()).count();
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

MeterTable::Day MeterTable::Day::today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return Day{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

bool MeterTable::Day::parse(std::string_view text, Day& day) {
    static const std::regex form(R"((\d{4})-(\d\d)-(\d\d))");
    std::match_results<std::string_view::const_iterator> parts;
    if (!std::regex_match(text.begin(), text.end(), parts, form))
        return false;
    const Day read{std::stoi(parts[1]), std::stoi(parts[2]), std::stoi(parts[3])};
    // A day that does not exist comes back from mktime as another one.
    std::tm noon{};
    noon.tm_year = read.year - 1900;
    noon.tm_mon = read.month - 1;
    noon.tm_mday = read.day;
    noon.tm_hour = 12;
    noon.tm_isdst = -1;
    if (read.month < 1 || read.month > 12 || std::mktime(&noon) == -1 || noon.tm_mday != read.day ||
        noon.tm_mon != read.month - 1)
        return false;
    day = read;
    return true;
}

std::string MeterTable::Day::text() const {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
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
        return row.telegrams < 2 ? "-" : fixed(row.meanIntervalSeconds(), 1);
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

bool MeterTable::sortsByValue(std::size_t column) {
    return column >= READING && column <= RSSI_MAX;
}

double MeterTable::sortValue(const Row& row, std::size_t column) {
    switch (column) {
    case READING: // meters without one first
        return row.reading.empty() ? std::numeric_limits<double>::lowest() : row.readingValue;
    case TELEGRAMS:
        return static_cast<double>(row.telegrams);
    case FIRST_SEEN:
        return secondsOf(row.firstSeen);
    case LAST_SEEN:
        return secondsOf(row.lastSeen);
    case MEAN_INTERVAL:
        return row.telegrams < 2 ? -1.0 : row.meanIntervalSeconds();
    case RSSI_LAST:
        return row.meter.rssiDbm;
    case RSSI_MIN:
        return row.rssiMin;
    case RSSI_MEAN:
        return row.rssiMean();
    case RSSI_MAX:
        return row.rssiMax;
    default:
        return 0.0;
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
                                        const Day& firstDay, TelegramReader* reader) {
    static const std::regex header(
        R"(^(\d\d):(\d\d):(\d\d)(?:\.(\d\d\d))?(?: \([^)]*\))?  (RX|TX):\s*$)");
    std::size_t found = 0;
    bool haveTime = false;
    Time time;
    int day = 0;
    long previousMs = -1;
    std::string line;
    std::vector<std::uint8_t> bytes;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::smatch parts;
        if (std::regex_match(line, parts, header)) {
            const long ms =
                ((std::stol(parts[1]) * 60 + std::stol(parts[2])) * 60 + std::stol(parts[3])) *
                    1000 +
                (parts[4].matched ? std::stol(parts[4]) : 0);
            // Back by more than half a day: midnight has passed. Less is a clock put back
            // (the end of summer time), still the same day.
            if (previousMs >= 0 && previousMs - ms > MS_PER_DAY / 2)
                ++day;
            previousMs = ms;
            haveTime = parts[5] == "RX";
            if (haveTime)
                time = timeOn(firstDay, day, ms);
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
