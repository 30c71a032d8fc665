#include "core/wmbus/ReadingJson.h"

#include "core/tree/Labels.h"
#include "core/wmbus/RecordText.h"

#include <cstdio>

namespace tovan {
namespace {

class Object {
public:
    void text(const char* name, std::string_view value) { raw(name, ReadingJson::quoted(value)); }
    void number(const char* name, long long value) { raw(name, std::to_string(value)); }
    void unsignedNumber(const char* name, unsigned long long value) {
        raw(name, std::to_string(value));
    }
    void boolean(const char* name, bool value) { raw(name, value ? "true" : "false"); }
    void raw(const char* name, const std::string& json) {
        m_json += m_json.size() > 1 ? ",\"" : "\"";
        m_json.append(name).append("\":").append(json);
    }
    std::string close() { return m_json + "}"; }

private:
    std::string m_json = "{";
};

std::string hexByte(std::uint8_t byte) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

ByteView bytesOf(const std::string& raw) {
    return {reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size()};
}

std::string recordJson(const DataRecord& record) {
    Object object;
    object.text("text", RecordText::recordName(record));
    if (record.value.kind == RecordValue::Kind::Number)
        object.raw("value", record.value.text);
    else if (record.value.kind == RecordValue::Kind::Text)
        object.text("value", record.value.text);
    else
        object.raw("value", "null");
    object.text("unit", record.unit);
    object.text("function", functionName(record.function));
    object.unsignedNumber("storage", record.storage);
    object.unsignedNumber("tariff", record.tariff);
    object.unsignedNumber("subunit", record.subunit);
    object.text("dif", hexText(bytesOf(record.dib)));
    object.text("vif", hexText(bytesOf(record.vib)));
    return object.close();
}

void addLayers(Object& object, const TelegramReading& reading) {
    if (reading.hasCi)
        object.text("ci", hexByte(reading.ci));
    if (reading.hasTransport) {
        object.number("access_number", reading.transport.access);
        object.text("status", TelegramLayers::statusText(reading.transport.status));
        object.number("security_mode", reading.transport.securityMode());
    }
    if (reading.compact) {
        char format[8];
        std::snprintf(format, sizeof format, "%04X", reading.signature);
        object.text("format", format);
    }
    object.boolean("decrypted", reading.security == Security::Decrypted ||
                                    reading.security == Security::ByReceiver);
    if (reading.security == Security::ByReceiver)
        object.boolean("decrypted_by_receiver", true);
}

} // namespace

std::string ReadingJson::quoted(std::string_view utf8) {
    std::string json = "\"";
    for (char c : utf8) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string ReadingJson::line(const TelegramFields& fields, const TelegramReading& reading) {
    Object object;
    object.text("manufacturer", fields.manufacturer);
    object.text("manufacturer_name", latin1ToUtf8(fields.manufacturerName));
    object.text("identification", fields.identification);
    object.text("version", fields.version);
    object.text("device_type", fields.deviceType);
    object.text("device_text", fields.deviceText);
    object.number("rssi_dbm", fields.rssiDbm);
    addLayers(object, reading);
    std::string records = "[";
    for (const DataRecord& record : reading.records.records)
        records += (records.size() > 1 ? "," : "") + recordJson(record);
    object.raw("records", records + "]");
    if (reading.records.manufacturerDataFollows)
        object.text("manufacturer_data", reading.records.manufacturerData);
    std::string error = reading.error;
    if (!reading.records.stopReason.empty())
        error = "records end at byte " + std::to_string(reading.records.stopOffset) + ": " +
                reading.records.stopReason;
    if (!error.empty())
        object.text("error", error);
    const std::string& unread =
        reading.records.stopReason.empty() ? reading.unread : reading.records.unread;
    if (!unread.empty())
        object.text("unread", unread);
    return object.close();
}

} // namespace tovan
