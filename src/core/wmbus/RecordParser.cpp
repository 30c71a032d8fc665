#include "core/wmbus/RecordParser.h"

#include "core/wmbus/ValueDecoder.h"
#include "core/wmbus/VifTable.h"
#include "core/wmbus/VifeTable.h"

#include <cstdio>

namespace tovan {
namespace {

enum class Table { Primary, FB, FD, PlainText, Manufacturer };

// Where the parts of one record header lie, and what its DIB says.
struct Header {
    std::size_t start = 0;
    std::size_t vibStart = 0;
    std::size_t end = 0;
    std::uint8_t dif = 0;
    RecordFunction function = RecordFunction::Instantaneous;
    std::uint64_t storage = 0;
    std::uint32_t tariff = 0;
    std::uint32_t subunit = 0;
    Table table = Table::Primary;
    std::uint8_t code = 0;
    std::size_t textStart = 0;
    std::size_t textLength = 0;
    std::size_t vifeStart = 0;
};

std::string hexByte(std::uint8_t byte) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

bool readDib(ByteView b, std::size_t& at, Header& h, std::string& reason) {
    h.start = at;
    std::uint8_t byte = b[at++];
    h.dif = byte;
    h.storage = (byte >> 6) & 1;
    h.function = static_cast<RecordFunction>((byte >> 4) & 3);
    for (unsigned n = 0; byte & 0x80; ++n) {
        if (at >= b.size) {
            reason = "the DIF extension runs past the end";
            return false;
        }
        if (n == RecordParser::MAX_EXTENSIONS) {
            reason = "more than 10 DIFEs";
            return false;
        }
        byte = b[at++];
        h.storage |= std::uint64_t{byte & 0x0Fu} << (1 + 4 * n);
        h.tariff |= std::uint32_t{(byte >> 4) & 3u} << (2 * n);
        h.subunit |= std::uint32_t{(byte >> 6) & 1u} << n;
    }
    return true;
}

// The VIF itself: which table, which code, and a plain-text unit.
bool readVif(ByteView b, std::size_t& at, Header& h, bool& more, std::string& reason) {
    if (at >= b.size) {
        reason = "the record ends before its VIF";
        return false;
    }
    h.vibStart = at;
    const std::uint8_t vif = b[at++];
    more = vif & 0x80;
    h.code = vif & 0x7F;
    if (vif == 0xFB || vif == 0xFD) {
        if (at >= b.size) {
            reason = "the VIF's table code runs past the end";
            return false;
        }
        h.table = vif == 0xFB ? Table::FB : Table::FD;
        h.code = b[at] & 0x7F;
        more = b[at++] & 0x80;
    } else if (h.code == 0x7C) {
        if (at >= b.size || at + 1 + b[at] > b.size) {
            reason = "the plain-text unit runs past the end";
            return false;
        }
        h.table = Table::PlainText;
        h.textLength = b[at++];
        h.textStart = at;
        at += h.textLength;
    } else if (h.code == 0x7F) {
        h.table = Table::Manufacturer;
    }
    return true;
}

bool readVib(ByteView b, std::size_t& at, Header& h, std::string& reason) {
    bool more = false;
    if (!readVif(b, at, h, more, reason))
        return false;
    h.vifeStart = at;
    for (std::size_t n = 0; more; ++n) {
        if (at >= b.size) {
            reason = "the VIF extension runs past the end";
            return false;
        }
        if (n == RecordParser::MAX_EXTENSIONS) {
            reason = "more than 10 VIFEs";
            return false;
        }
        more = b[at++] & 0x80;
    }
    h.end = at;
    return true;
}

VifMeaning baseMeaning(const Header& h) {
    switch (h.table) {
    case Table::FB:
        return VifTable::extensionFB(h.code);
    case Table::FD:
        return VifTable::extensionFD(h.code);
    case Table::PlainText:
        return {"Value", "", 0, ValueMeaning::Quantity};
    case Table::Manufacturer:
        return VifTable::primary(0x7F);
    default:
        return VifTable::primary(h.code);
    }
}

// A plain-text unit is sent last character first.
std::string plainTextUnit(ByteView b, const Header& h) {
    std::string unit;
    for (std::size_t i = h.textStart + h.textLength; i-- > h.textStart;)
        unit += (b[i] >= 0x20 && b[i] < 0x7F) ? static_cast<char>(b[i]) : '?';
    return unit;
}

// What the record is, in words and unit, and how its value is read.
void describe(ByteView b, const Header& h, DataRecord& record, ValueMeaning& meaning,
              int& exponent) {
    const VifMeaning base = baseMeaning(h);
    record.description = base.description;
    meaning = base.meaning;
    exponent = base.exponent;
    const char* unit = base.unit;
    bool manufacturerRest = h.table == Table::Manufacturer;
    bool extendedNext = false;
    for (std::size_t i = h.vifeStart; i < h.end && !manufacturerRest; ++i) {
        if (extendedNext) {
            record.qualifiers.push_back("extended qualifier");
            extendedNext = false;
            continue;
        }
        const VifeMeaning extension = VifeTable::combinable(b[i]);
        if (extension.words)
            record.qualifiers.push_back(extension.words);
        exponent += extension.exponent;
        if (extension.unit) {
            unit = extension.unit;
            exponent = 0;
            meaning = ValueMeaning::Quantity;
        }
        if (extension.makesDate)
            meaning = ValueMeaning::Date;
        if (extension.manufacturerRest) {
            manufacturerRest = true;
            meaning = ValueMeaning::Unknown;
        }
        extendedNext = extension.extendedNext;
    }
    record.timePoint =
        h.table == Table::Primary && (h.code == 0x6C || h.code == 0x6D) && h.vifeStart == h.end;
    if (meaning != ValueMeaning::Quantity)
        return;
    record.unit = h.table == Table::PlainText ? plainTextUnit(b, h)
                                              : ValueDecoder::displayUnit(unit, exponent);
}

// The bytes a record's data takes at `at`: -1 with the reason when they are not all there.
long dataLength(ByteView b, std::size_t at, std::uint8_t dif, std::string& reason) {
    int length = ValueDecoder::fixedLength(dif);
    if (length < 0) {
        if (at >= b.size) {
            reason = "the record ends before its LVAR byte";
            return -1;
        }
        const int variable = ValueDecoder::variableLength(b[at]);
        if (variable < 0) {
            reason = "LVAR " + hexByte(b[at]) + " is reserved";
            return -1;
        }
        length = 1 + variable;
    }
    if (at + static_cast<std::size_t>(length) > b.size) {
        reason = "the record needs " + std::to_string(length) + " data bytes, " +
                 std::to_string(b.size - at) + " are left";
        return -1;
    }
    return length;
}

// One record from `at`; false with the reason when it cannot be read whole.
bool readRecord(ByteView b, std::size_t& at, DataRecord& record, RecordList& list,
                std::string& reason) {
    Header h;
    if (!readDib(b, at, h, reason) || !readVib(b, at, h, reason))
        return false;
    const long length = dataLength(b, at, h.dif, reason);
    if (length < 0)
        return false;
    ValueMeaning meaning = ValueMeaning::Unknown;
    int exponent = 0;
    describe(b, h, record, meaning, exponent);
    record.offset = h.start;
    const char* header = reinterpret_cast<const char*>(b.data);
    record.dib.assign(header + h.start, h.vibStart - h.start);
    record.vib.assign(header + h.vibStart, h.end - h.vibStart);
    record.function = h.function;
    record.storage = h.storage;
    record.tariff = h.tariff;
    record.subunit = h.subunit;
    const char* note = nullptr;
    record.value = ValueDecoder::read(h.dif, b.sub(at, static_cast<std::size_t>(length)), meaning,
                                      exponent, note);
    if (note)
        record.qualifiers.push_back(note);
    list.layout.insert(list.layout.end(), b.data + h.start, b.data + h.end);
    at += static_cast<std::size_t>(length);
    return true;
}

} // namespace

RecordList RecordParser::parse(ByteView b) {
    RecordList list;
    list.records.reserve(16);
    std::size_t at = 0;
    while (at < b.size) {
        const std::uint8_t dif = b[at];
        if (dif == 0x2F) { // idle filler
            ++at;
            continue;
        }
        if (dif == 0x0F || dif == 0x1F) {
            list.manufacturerDataFollows = true;
            list.moreRecordsFollow = dif == 0x1F;
            list.manufacturerData = hexText(b.sub(at + 1));
            break;
        }
        std::string reason;
        DataRecord record;
        const std::size_t start = at;
        if ((dif & 0x0F) == 0x0F)
            reason = "DIF " + hexByte(dif) + " is reserved";
        else if (readRecord(b, at, record, list, reason)) {
            list.records.push_back(std::move(record));
            continue;
        }
        list.stopReason = std::move(reason);
        list.stopOffset = start;
        list.unread = hexText(b.sub(start));
        break;
    }
    return list;
}

std::size_t RecordParser::headerLength(ByteView bytes, std::size_t at) {
    Header h;
    std::string reason;
    if (at >= bytes.size || !readDib(bytes, at, h, reason) || !readVib(bytes, at, h, reason))
        return 0;
    return h.end - h.start;
}

bool RecordParser::rebuild(ByteView layout, ByteView data, std::vector<std::uint8_t>& records) {
    std::size_t at = 0;
    std::size_t used = 0;
    std::string reason;
    while (at < layout.size) {
        const std::size_t header = headerLength(layout, at);
        if (header == 0)
            return false;
        const long length = dataLength(data, used, layout[at], reason);
        if (length < 0)
            return false;
        records.insert(records.end(), layout.data + at, layout.data + at + header);
        records.insert(records.end(), data.data + used, data.data + used + length);
        at += header;
        used += static_cast<std::size_t>(length);
    }
    return used == data.size;
}

} // namespace tovan
