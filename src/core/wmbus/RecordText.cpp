#include "core/wmbus/RecordText.h"

#include <cstdio>

namespace tovan {
namespace {

std::string hexByte(std::uint8_t byte) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

void append(std::string& text, const std::string& part, const char* separator = ", ") {
    if (part.empty())
        return;
    if (!text.empty())
        text += separator;
    text += part;
}

std::string extendedLinkPart(const TelegramReading& reading) {
    const ExtendedLinkLayer& layer = reading.extendedLink;
    std::string text =
        "extended link layer " + hexByte(layer.ci) + ", access " + std::to_string(layer.access);
    if (layer.hasSession && layer.encryption() == 1)
        text += ", AES-128-CTR";
    return text;
}

std::string transportPart(const TelegramReading& reading) {
    std::string text =
        "CI " + hexByte(reading.ci) + " (" + TelegramLayers::ciName(reading.ci) + ")";
    if (!reading.hasTransport)
        return text;
    const TransportLayer& layer = reading.transport;
    text += ", access " + std::to_string(layer.access) + ", " +
            TelegramLayers::statusText(layer.status);
    const unsigned mode = layer.securityMode();
    if (mode != 0)
        text += ", security mode " + std::to_string(mode) + " (" +
                std::to_string(layer.encryptedBlocks()) + " encrypted blocks)";
    return text;
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

} // namespace

std::string RecordText::layersLine(const TelegramReading& reading) {
    std::string text;
    if (reading.hasExtendedLink)
        append(text, extendedLinkPart(reading), "; ");
    if (reading.hasAuthentication) {
        std::string part = "authentication layer";
        if (reading.authentication.hasCounter)
            part += ", message counter " + std::to_string(reading.authentication.counter);
        append(text, part, "; ");
    }
    if (reading.hasCi)
        append(text, transportPart(reading), "; ");
    if (reading.compact) {
        char format[32];
        std::snprintf(format, sizeof format, "format %04X", reading.signature);
        append(text, format);
    }
    append(text, securityWords(reading.security));
    return text;
}

std::string RecordText::recordName(const DataRecord& record) {
    std::string name = record.description;
    std::string extra;
    for (const char* qualifier : record.qualifiers)
        append(extra, qualifier);
    return extra.empty() ? name : name + " (" + extra + ")";
}

std::string RecordText::recordLine(const DataRecord& record, const std::string& storageDate) {
    std::string line = record.description;
    if (record.value.kind == RecordValue::Kind::None)
        line += " (no value)";
    else
        line += " " + record.value.text;
    if (record.value.kind == RecordValue::Kind::Number && !record.unit.empty())
        line += " " + record.unit;
    std::string extra;
    for (const char* qualifier : record.qualifiers)
        append(extra, qualifier);
    if (record.function == RecordFunction::Maximum || record.function == RecordFunction::Minimum)
        append(extra, functionName(record.function));
    else if (record.function == RecordFunction::Error)
        append(extra, "value during error state");
    if (record.storage != 0)
        append(extra, "storage " + std::to_string(record.storage));
    if (record.tariff != 0)
        append(extra, "tariff " + std::to_string(record.tariff));
    if (record.subunit != 0)
        append(extra, "subunit " + std::to_string(record.subunit));
    append(extra, storageDate);
    return extra.empty() ? line : line + " (" + extra + ")";
}

std::vector<std::string> RecordText::storageDates(const std::vector<DataRecord>& records) {
    std::vector<std::string> dates(records.size());
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

std::vector<std::string> RecordText::lines(const TelegramReading& reading) {
    std::vector<std::string> lines;
    const std::string layers = layersLine(reading);
    if (!layers.empty())
        lines.push_back(layers);
    const RecordList& list = reading.records;
    const std::vector<std::string> dates = storageDates(list.records);
    for (std::size_t i = 0; i < list.records.size(); ++i)
        lines.push_back(recordLine(list.records[i], dates[i]));
    if (list.manufacturerDataFollows)
        lines.push_back("Manufacturer data" +
                        std::string(list.moreRecordsFollow ? " (more records follow)" : "") + ": " +
                        list.manufacturerData);
    if (!list.stopReason.empty())
        lines.push_back("Records end at byte " + std::to_string(list.stopOffset) + ": " +
                        list.stopReason + "; not read: " + list.unread);
    if (!reading.error.empty())
        lines.push_back(reading.error);
    else if (!reading.unread.empty())
        lines.push_back(std::string(TelegramLayers::ciName(reading.ci)) +
                        " data: " + reading.unread);
    return lines;
}

std::string RecordText::toLatin1(std::string_view utf8) {
    std::string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            text += static_cast<char>(((c & 0x03) << 6) | (utf8[++i] & 0x3F));
        } else {
            while (i + 1 < utf8.size() && (utf8[i + 1] & 0xC0) == 0x80)
                ++i;
            text += '?';
        }
    }
    return text;
}

std::string RecordText::consoleBlock(const TelegramReading& reading) {
    std::string block;
    for (const std::string& line : lines(reading))
        block += toLatin1(line) + "\r\n";
    return block;
}

} // namespace tovan
