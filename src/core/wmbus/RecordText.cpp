#include "core/wmbus/RecordText.h"

namespace tovan {
namespace {

void appendHexByte(std::string& text, std::uint8_t byte) {
    static const char DIGITS[] = "0123456789ABCDEF";
    text += DIGITS[byte >> 4];
    text += DIGITS[byte & 0x0F];
}

void appendNumber(std::string& text, unsigned long long value) {
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0)
        text += digits[--count];
}

// Appends `part` after a separator when `text` has grown since `start`.
void appendPart(std::string& text, std::size_t start, std::string_view part,
                const char* separator = ", ") {
    if (part.empty())
        return;
    if (text.size() > start)
        text += separator;
    text += part;
}

void appendExtendedLink(std::string& text, const ExtendedLinkLayer& layer) {
    text += "extended link layer ";
    appendHexByte(text, layer.ci);
    text += ", access ";
    appendNumber(text, layer.access);
    if (layer.hasSession && layer.encryption() == 1)
        text += ", AES-128-CTR";
}

void appendTransport(std::string& text, const TelegramReading& reading) {
    text += "CI ";
    appendHexByte(text, reading.ci);
    text.append(" (").append(TelegramLayers::ciName(reading.ci)).append(")");
    if (!reading.hasTransport)
        return;
    const TransportLayer& layer = reading.transport;
    text += ", access ";
    appendNumber(text, layer.access);
    text.append(", ").append(TelegramLayers::statusText(layer.status));
    if (const unsigned mode = layer.securityMode()) {
        text += ", security mode ";
        appendNumber(text, mode);
        text += " (";
        appendNumber(text, layer.encryptedBlocks());
        text += " encrypted blocks)";
    }
}

const char* securityWords(Security security) {
    switch (security) {
    case Security::Decrypted:
        return "decrypted";
    case Security::ByReceiver:
        return "decrypted by the receiver";
    default:
        return "";
    }
}

void appendLayers(std::string& text, const TelegramReading& reading) {
    const std::size_t start = text.size();
    if (reading.hasExtendedLink)
        appendExtendedLink(text, reading.extendedLink);
    if (reading.hasAuthentication) {
        if (text.size() > start)
            text += "; ";
        text += "authentication layer";
        if (reading.authentication.hasCounter) {
            text += ", message counter ";
            appendNumber(text, reading.authentication.counter);
        }
    }
    if (reading.hasCi) {
        if (text.size() > start)
            text += "; ";
        appendTransport(text, reading);
    }
    if (reading.compact) {
        appendPart(text, start, "format ");
        appendHexByte(text, static_cast<std::uint8_t>(reading.signature >> 8));
        appendHexByte(text, static_cast<std::uint8_t>(reading.signature));
    }
    appendPart(text, start, securityWords(reading.security));
}

} // namespace

std::string RecordText::layersLine(const TelegramReading& reading) {
    std::string text;
    appendLayers(text, reading);
    return text;
}

std::string RecordText::recordName(const DataRecord& record) {
    std::string name = record.description;
    for (std::size_t i = 0; i < record.qualifiers.size(); ++i)
        name.append(i == 0 ? " (" : ", ").append(record.qualifiers[i]);
    if (!record.qualifiers.empty())
        name += ')';
    return name;
}

void RecordText::appendRecordLine(std::string& line, const DataRecord& record,
                                  std::string_view storageDate) {
    line += record.description;
    if (record.value.kind == RecordValue::Kind::None)
        line += " (no value)";
    else
        line.append(" ").append(record.value.text);
    if (record.value.kind == RecordValue::Kind::Number && !record.unit.empty())
        line.append(" ").append(record.unit);
    appendQualifiers(line, record, storageDate);
}

void RecordText::appendQualifiers(std::string& line, const DataRecord& record,
                                  std::string_view storageDate) {
    line += " (";
    const std::size_t start = line.size();
    for (const char* qualifier : record.qualifiers)
        appendPart(line, start, qualifier);
    if (record.function == RecordFunction::Maximum || record.function == RecordFunction::Minimum)
        appendPart(line, start, functionName(record.function));
    else if (record.function == RecordFunction::Error)
        appendPart(line, start, "value during error state");
    const std::pair<const char*, std::uint64_t> numbers[] = {
        {"storage ", record.storage}, {"tariff ", record.tariff}, {"subunit ", record.subunit}};
    for (const auto& [name, value] : numbers) {
        if (value == 0)
            continue;
        appendPart(line, start, name);
        appendNumber(line, value);
    }
    appendPart(line, start, storageDate);
    if (line.size() == start)
        line.resize(start - 2);
    else
        line += ')';
}

std::string RecordText::recordLabel(const DataRecord& record) {
    std::string label = record.description;
    appendQualifiers(label, record, {});
    return label;
}

std::string RecordText::recordLine(const DataRecord& record, std::string_view storageDate) {
    std::string line;
    appendRecordLine(line, record, storageDate);
    return line;
}

std::vector<std::string_view> RecordText::storageDates(const std::vector<DataRecord>& records) {
    std::vector<std::string_view> dates(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const DataRecord& record = records[i];
        if (record.storage == 0 || record.timePoint)
            continue;
        for (const DataRecord& point : records)
            if (point.timePoint && point.storage == record.storage &&
                point.subunit == record.subunit && point.value.kind == RecordValue::Kind::Text &&
                point.qualifiers.empty()) {
                dates[i] = point.value.text;
                break;
            }
    }
    return dates;
}

template <class Sink>
void RecordText::forEachLine(const TelegramReading& reading, std::string& line, Sink&& sink) {
    line.clear();
    appendLayers(line, reading);
    if (!line.empty())
        sink(line);
    const RecordList& list = reading.records;
    const std::vector<std::string_view> dates = storageDates(list.records);
    for (std::size_t i = 0; i < list.records.size(); ++i) {
        line.clear();
        appendRecordLine(line, list.records[i], dates[i]);
        sink(line);
    }
    if (list.manufacturerDataFollows) {
        line.assign("Manufacturer data");
        if (list.moreRecordsFollow)
            line += " (more records follow)";
        sink(line.append(": ").append(list.manufacturerData));
    }
    if (!list.stopReason.empty()) {
        line.assign("Records end at byte ");
        appendNumber(line, list.stopOffset);
        sink(line.append(": ").append(list.stopReason).append("; not read: ").append(list.unread));
    }
    if (!reading.error.empty())
        sink(line.assign(reading.error));
    else if (!reading.unread.empty())
        sink(line.assign(TelegramLayers::ciName(reading.ci))
                 .append(" data: ")
                 .append(reading.unread));
}

std::vector<std::string> RecordText::lines(const TelegramReading& reading) {
    std::vector<std::string> lines;
    std::string line;
    forEachLine(reading, line, [&lines](const std::string& text) { lines.push_back(text); });
    return lines;
}

void RecordText::appendLatin1(std::string& out, std::string_view utf8) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t ascii = i;
        while (ascii < utf8.size() && static_cast<unsigned char>(utf8[ascii]) < 0x80)
            ++ascii;
        out.append(utf8.data() + i, ascii - i);
        if (ascii == utf8.size())
            return;
        const unsigned char c = static_cast<unsigned char>(utf8[ascii]);
        i = ascii + 1;
        if ((c == 0xC2 || c == 0xC3) && i < utf8.size()) {
            out += static_cast<char>(((c & 0x03) << 6) | (utf8[i++] & 0x3F));
            continue;
        }
        while (i < utf8.size() && (utf8[i] & 0xC0) == 0x80)
            ++i;
        out += '?';
    }
}

std::string RecordText::toLatin1(std::string_view utf8) {
    std::string text;
    appendLatin1(text, utf8);
    return text;
}

std::string RecordText::consoleBlock(const TelegramReading& reading) {
    std::string block;
    block.reserve(64 * (2 + reading.records.records.size()));
    std::string line;
    forEachLine(reading, line, [&block](const std::string& text) {
        appendLatin1(block, text);
        block += "\r\n";
    });
    return block;
}

} // namespace tovan
