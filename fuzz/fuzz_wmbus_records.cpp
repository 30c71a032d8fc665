// The data record parser and the telegram reader with its decryption, on any bytes: as a raw
// frame (with keys for the meters it names), and as the plain records of telegrams that the
// target encrypts itself (security mode 5, extended link layer AES-CTR), which must read back
// exactly as the plain records do.
#include "core/wmbus/ReadingJson.h"
#include "core/wmbus/RecordParser.h"
#include "core/wmbus/RecordText.h"
#include "core/wmbus/TelegramCipher.h"
#include "core/wmbus/TelegramCrc.h"
#include "core/wmbus/TelegramReader.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace tovan;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr AesKey KEY = {0x4B, 0x41, 0x4D, 0x2D, 0x53, 0x49, 0x4D, 0x2D,
                        0x4B, 0x45, 0x59, 0x2D, 0x30, 0x30, 0x30, 0x31};
constexpr const char* KEY_TEXT = "4B414D2D53494D2D4B45592D30303031";
// Link layer of a water meter 12345678; the access number of its transport header.
const Bytes ADDRESS = {0x93, 0x15, 0x78, 0x56, 0x34, 0x12, 0x33, 0x07};
constexpr std::uint8_t ACCESS = 0x2A;

std::string identification(ByteView bytes, std::size_t at) {
    char text[12];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X", bytes[at + 3], bytes[at + 2],
                  bytes[at + 1], bytes[at]);
    return text;
}

// The key for every meter a frame may name: the link layer, a long header after the CI or
// after a short extended link layer, the extended link layer's own address.
MeterKeys keysFor(ByteView frame) {
    MeterKeys keys;
    for (std::size_t at : {4, 11, 14, 15})
        if (at + 4 <= frame.size)
            keys.set(identification(frame, at), KEY);
    return keys;
}

std::vector<std::string> linesOf(const TelegramReading& reading) {
    return RecordText::lines(reading);
}

void checkShown(const TelegramReading& reading) {
    std::string shown = ReadingJson::line({}, reading);
    FUZZ_CHECK(shown.front() == '{' && shown.back() == '}', "a JSON object a telegram");
    FUZZ_CHECK(std::none_of(shown.begin(), shown.end(),
                            [](char c) { return static_cast<unsigned char>(c) < 0x20; }),
               "control characters in JSON are escaped");
    for (const std::string& line : linesOf(reading))
        shown += line;
    FUZZ_CHECK(shown.find(KEY_TEXT) == std::string::npos &&
                   shown.find("4B 41 4D 2D") == std::string::npos,
               "a key is never shown");
    for (const DataRecord& record : reading.records.records)
        if (record.value.kind == RecordValue::Kind::Number)
            FUZZ_CHECK(record.value.text.find_first_not_of("-0123456789.e+") == std::string::npos,
                       "a number is a number");
}

Bytes telegram(std::uint8_t ci, const Bytes& header, const Bytes& payload) {
    Bytes t{0x00, 0x44};
    t.insert(t.end(), ADDRESS.begin(), ADDRESS.end());
    t.push_back(ci);
    t.insert(t.end(), header.begin(), header.end());
    t.insert(t.end(), payload.begin(), payload.end());
    t.push_back(0x22); // signal strength
    t[0] = static_cast<std::uint8_t>(t.size() - 1);
    return t;
}

// Mode 5: 2F 2F and the records, filled with 2F to whole blocks (at most 15 of them).
Bytes mode5(const Bytes& records) {
    Bytes plain{0x2F, 0x2F};
    plain.insert(plain.end(), records.begin(),
                 records.begin() + std::min<std::size_t>(records.size(), 200));
    plain.resize((plain.size() + 15) / 16 * 16, 0x2F);
    AesBlock iv{};
    std::copy(ADDRESS.begin(), ADDRESS.end(), iv.begin());
    std::fill(iv.begin() + 8, iv.end(), ACCESS);
    Bytes encrypted(plain.size());
    FUZZ_CHECK(TelegramCipher::encryptCbc(KEY, iv, ByteView(plain), encrypted.data()),
               "libcrypto encrypts");
    const std::uint8_t blocks = static_cast<std::uint8_t>(plain.size() / 16);
    return telegram(0x7A, {ACCESS, 0x00, static_cast<std::uint8_t>(blocks << 4), 0x05}, encrypted);
}

// Extended link layer with AES-CTR: CRC and CI 78 with the records behind it, encrypted.
Bytes extendedLink(const Bytes& records) {
    Bytes plain{0x00, 0x00, 0x78};
    plain.insert(plain.end(), records.begin(), records.end());
    const std::uint16_t crc = telegramCrc(ByteView(plain).sub(2));
    plain[0] = static_cast<std::uint8_t>(crc);
    plain[1] = static_cast<std::uint8_t>(crc >> 8);
    const Bytes header{0x20, ACCESS, 0x01, 0x00, 0x00, 0x20}; // session: encryption 1
    AesBlock counter{};
    std::copy(ADDRESS.begin(), ADDRESS.end(), counter.begin());
    counter[8] = 0x20;
    std::copy(header.begin() + 2, header.end(), counter.begin() + 9);
    Bytes encrypted(plain.size());
    FUZZ_CHECK(TelegramCipher::cryptCtr(KEY, counter, ByteView(plain), encrypted.data()),
               "libcrypto encrypts");
    return telegram(0x8D, header, encrypted);
}

// `looksPlain`: the encrypted bytes happen to pass for plain ones (2F 2F, or a matching CRC),
// which the reader then rightly takes as decrypted by the receiver.
void checkRoundTrip(const Bytes& sent, bool looksPlain, const Bytes& records, std::size_t kept) {
    TelegramReader reader;
    MeterKeys keys;
    keys.set("12345678", KEY);
    reader.setKeys(keys);
    const TelegramReading reading = reader.read(sent);
    checkShown(reading);
    if (looksPlain)
        return;
    FUZZ_CHECK(reading.security == Security::Decrypted, "what the meter encrypted decrypts");
    Bytes plain(records.begin(), records.begin() + std::min(kept, records.size()));
    const RecordList expected = RecordParser::parse(plain);
    if (!expected.stopReason.empty())
        return; // the meter's fill bytes would continue a record cut short
    FUZZ_CHECK(reading.records.records.size() == expected.records.size() &&
                   reading.records.stopReason.empty(),
               "decrypted records read as the plain ones");
    for (std::size_t i = 0; i < expected.records.size(); ++i)
        FUZZ_CHECK(reading.records.records[i].value.text == expected.records[i].value.text &&
                       reading.records.records[i].vib == expected.records[i].vib,
                   "decrypted values are the plain values");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes input(data, data + size);
    const RecordList list = RecordParser::parse(input);
    FUZZ_CHECK(list.stopOffset <= size, "reading stops inside the data");
    for (const DataRecord& record : list.records)
        FUZZ_CHECK(record.offset < size, "records lie inside the data");

    TelegramReader reader;
    reader.setKeys(keysFor(input));
    const TelegramReading first = reader.read(input);
    checkShown(first);
    TelegramReader again;
    again.setKeys(keysFor(input));
    FUZZ_CHECK(linesOf(again.read(input)) == linesOf(first), "the same bytes read the same");

    if (size <= 200) {
        const Bytes sent = mode5(input);
        checkRoundTrip(sent, sent[15] == 0x2F && sent[16] == 0x2F, input, size);
    }
    if (size <= 220) {
        const Bytes sent = extendedLink(input);
        const ByteView payload = ByteView(sent).sub(19, sent.size() - 20);
        checkRoundTrip(sent, telegramCrc(payload) == ByteView(sent).little(17, 2), input, size);
    }
    return 0;
}
