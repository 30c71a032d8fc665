#include "core/wmbus/TelegramReader.h"

#include "core/wmbus/RecordParser.h"
#include "core/wmbus/TelegramCipher.h"
#include "core/wmbus/TelegramCrc.h"

#include <algorithm>
#include <cstdio>
#include <openssl/crypto.h>

namespace tovan {
namespace {

// The identification of a meter address, most significant digit first, as the console shows
// it.
std::string identificationOf(const MeterAddress& meter) {
    static const char DIGITS[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (int i = 0; i < 4; ++i) {
        text[2 * i] = DIGITS[meter[5 - i] >> 4];
        text[2 * i + 1] = DIGITS[meter[5 - i] & 0x0F];
    }
    return text;
}

std::string hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

bool startsPlain(ByteView data) {
    return data.size >= 2 && data[0] == 0x2F && data[1] == 0x2F;
}

// The payload CRC of the extended link layer, over the bytes after it.
bool payloadCrcMatches(ByteView t, std::size_t at) {
    return at + 2 <= t.size && telegramCrc(t.sub(at + 2)) == t.little(at, 2);
}

} // namespace

void TelegramReader::fail(TelegramReading& reading, std::string error, std::size_t from) {
    reading.error = std::move(error);
    reading.unread = hexText(ByteView(m_plain).sub(from));
}

TelegramReading TelegramReader::read(ByteView frame) {
    TelegramReading reading;
    if (frame.size < MIN_FRAME) {
        reading.error = "too short for a telegram with a CI field";
        return reading;
    }
    m_plain.assign(frame.data, frame.data + frame.size - 1); // without the signal strength
    std::copy(frame.data + 2, frame.data + 10, reading.meter.begin());
    reading.meterId = identificationOf(reading.meter);
    std::size_t at = 10;
    if (readExtendedLink(reading, at) && readAuthentication(reading, at) && at < m_plain.size())
        readApplication(reading, at);
    OPENSSL_cleanse(m_scratch.data(), m_scratch.size());
    return reading;
}

bool TelegramReader::readExtendedLink(TelegramReading& reading, std::size_t& at) {
    const ByteView t(m_plain);
    if (!TelegramLayers::isExtendedLink(t[at]))
        return true;
    reading.hasExtendedLink = true;
    ExtendedLinkLayer& layer = reading.extendedLink;
    std::string error;
    if (!TelegramLayers::readExtendedLink(t, at, layer, error)) {
        fail(reading, error, at);
        return false;
    }
    if (layer.hasAddress) {
        reading.meter = layer.address;
        reading.meterId = identificationOf(reading.meter);
    }
    if (!layer.hasSession)
        return true;
    if (at + 2 > t.size) {
        fail(reading, "the extended link layer's payload CRC is missing", at);
        return false;
    }
    if (layer.encryption() == 0 || payloadCrcMatches(t, at)) {
        if (layer.encryption() != 0)
            reading.security = Security::ByReceiver;
        at += 2;
        return true;
    }
    if (!decryptExtendedLink(reading, at))
        return false;
    at += 2;
    return true;
}

// AES-128-CTR from the payload CRC on; the counter block is the address, the communication
// control (hop count cleared), the session number and a zero frame and block number.
bool TelegramReader::decryptExtendedLink(TelegramReading& reading, std::size_t at) {
    const ExtendedLinkLayer& layer = reading.extendedLink;
    if (layer.encryption() != 1) {
        reading.security = Security::Unsupported;
        fail(reading,
             "extended link layer encryption " + std::to_string(layer.encryption()) +
                 " is not known",
             at);
        return false;
    }
    const AesKey* key = m_keys.find(reading.meterId);
    if (!key) {
        reading.security = Security::NoKey;
        fail(reading,
             "encrypted (extended link layer, AES-128-CTR), no key for meter " + reading.meterId,
             at);
        return false;
    }
    AesBlock counter{};
    std::copy(reading.meter.begin(), reading.meter.end(), counter.begin());
    counter[8] = layer.control & 0xEF;
    for (int i = 0; i < 4; ++i)
        counter[9 + i] = static_cast<std::uint8_t>(layer.session >> (8 * i));
    const ByteView encrypted = ByteView(m_plain).sub(at);
    m_scratch.assign(encrypted.size, 0);
    const bool decrypted = TelegramCipher::cryptCtr(*key, counter, encrypted, m_scratch.data()) &&
                           payloadCrcMatches(m_scratch, 0);
    return takeDecrypted(reading, at, decrypted, "AES-128-CTR");
}

// What a cipher made of the bytes from `at` (in m_scratch) replaces them, when it is plain;
// otherwise the key was wrong and the bytes stay as they came.
bool TelegramReader::takeDecrypted(TelegramReading& reading, std::size_t at, bool decrypted,
                                   const char* cipher) {
    if (!decrypted) {
        reading.security = Security::WrongKey;
        fail(reading, "cannot decrypt (wrong key?)", at);
        return false;
    }
    std::copy(m_scratch.begin(), m_scratch.end(), m_plain.begin() + static_cast<long>(at));
    reading.security = Security::Decrypted;
    reading.cipher = cipher;
    return true;
}

bool TelegramReader::readAuthentication(TelegramReading& reading, std::size_t& at) {
    const ByteView t(m_plain);
    if (at >= t.size || t[at] != TelegramLayers::AUTHENTICATION_CI)
        return true;
    reading.hasAuthentication = true;
    std::string error;
    const std::size_t start = at;
    if (!TelegramLayers::readAuthentication(t, at, reading.authentication, error)) {
        fail(reading, error, start);
        return false;
    }
    if (reading.authentication.moreFragments()) {
        fail(reading, "one fragment of a longer message; fragments are not put together", at);
        return false;
    }
    return true;
}

void TelegramReader::readApplication(TelegramReading& reading, std::size_t at) {
    const ByteView t(m_plain);
    reading.hasCi = true;
    reading.ci = t[at];
    const CiKind kind = TelegramLayers::kindOf(reading.ci);
    std::string error;
    const std::size_t start = at;
    if (!TelegramLayers::readTransport(t, at, reading.transport, error)) {
        fail(reading, error, start + 1);
        return;
    }
    reading.hasTransport = reading.transport.header != TransportLayer::Header::None;
    if (reading.transport.header == TransportLayer::Header::Long) {
        reading.meter = reading.transport.address;
        reading.meterId = identificationOf(reading.meter);
    }
    if (kind == CiKind::Other || kind == CiKind::ManufacturerSpecific) {
        reading.unread = hexText(t.sub(at)); // named, never guessed
        return;
    }
    if (!decryptTransport(reading, at))
        return;
    if (kind == CiKind::CompactFrame) {
        readCompact(reading, at);
        return;
    }
    reading.records = RecordParser::parse(ByteView(m_plain).sub(at));
    if (reading.records.stopReason.empty())
        m_formats.remember(reading.meter, reading.records.layout);
}

bool TelegramReader::decryptTransport(TelegramReading& reading, std::size_t at) {
    const TransportLayer& layer = reading.transport;
    const unsigned mode = layer.securityMode();
    const ByteView payload = ByteView(m_plain).sub(at);
    const std::size_t length = 16 * layer.encryptedBlocks();
    if (mode == 0 || (length == 0 && (mode == 5 || mode == 7)))
        return true;
    if (startsPlain(payload)) {
        reading.security = Security::ByReceiver;
        return true;
    }
    if (mode != 5 && mode != 7) {
        reading.security = Security::Unsupported;
        fail(reading, "security mode " + std::to_string(mode) + " is not decrypted here", at);
        return false;
    }
    if (length > payload.size) {
        fail(reading,
             "the configuration field says " + std::to_string(layer.encryptedBlocks()) +
                 " encrypted blocks, " + std::to_string(payload.size) + " bytes follow",
             at);
        return false;
    }
    const AesKey* key = m_keys.find(reading.meterId);
    if (!key) {
        reading.security = Security::NoKey;
        fail(reading,
             "encrypted (security mode " + std::to_string(mode) + "), no key for meter " +
                 reading.meterId,
             at);
        return false;
    }
    AesKey used{};
    AesBlock iv{};
    std::string error;
    if (!transportKey(reading, *key, used, iv, error)) {
        reading.security = Security::Unsupported;
        fail(reading, error, at);
        return false;
    }
    m_scratch.assign(length, 0);
    const bool decrypted =
        TelegramCipher::decryptCbc(used, iv, payload.sub(0, length), m_scratch.data()) &&
        startsPlain(m_scratch);
    OPENSSL_cleanse(used.data(), used.size());
    return takeDecrypted(reading, at, decrypted, "AES-128-CBC");
}

// Mode 5 decrypts with the meter's key, the IV its address and eight times the access
// number. Mode 7 decrypts with a key derived from it (CMAC over the message counter and the
// identification) and a zero IV.
bool TelegramReader::transportKey(const TelegramReading& reading, const AesKey& key, AesKey& used,
                                  AesBlock& iv, std::string& error) {
    if (reading.transport.securityMode() == 5) {
        used = key;
        std::copy(reading.meter.begin(), reading.meter.end(), iv.begin());
        std::fill(iv.begin() + 8, iv.end(), reading.transport.access);
        return true;
    }
    if (!reading.hasAuthentication || !reading.authentication.hasCounter) {
        error = "security mode 7 needs the message counter of an authentication layer";
        return false;
    }
    std::uint8_t input[16];
    input[0] = 0x00; // encryption key, from the meter
    for (int i = 0; i < 4; ++i)
        input[1 + i] = static_cast<std::uint8_t>(reading.authentication.counter >> (8 * i));
    std::copy(reading.meter.begin() + 2, reading.meter.begin() + 6, input + 5);
    std::fill(input + 9, input + 16, 0x07);
    AesBlock derived{};
    const bool ok = TelegramCipher::cmac(key, ByteView(input, sizeof input), derived);
    used = derived;
    OPENSSL_cleanse(derived.data(), derived.size());
    iv.fill(0);
    if (!ok)
        error = "the key derivation of security mode 7 failed";
    return ok;
}

void TelegramReader::readCompact(TelegramReading& reading, std::size_t at) {
    ByteView data = ByteView(m_plain).sub(at);
    if (reading.security == Security::Decrypted && startsPlain(data))
        data = data.sub(2); // the two bytes that proved the decryption
    if (data.size < 4) {
        fail(reading, "the compact frame's signature and CRC are missing", at);
        return;
    }
    reading.compact = true;
    reading.signature = static_cast<std::uint16_t>(data.little(0, 2));
    const std::uint16_t frameCrc = static_cast<std::uint16_t>(data.little(2, 2));
    const std::string format = hex4(reading.signature);
    const std::vector<std::uint8_t>* layout = m_formats.find(reading.meter, reading.signature);
    const std::size_t valuesAt = static_cast<std::size_t>(data.data - m_plain.data()) + 4;
    if (!layout) {
        fail(reading, "compact frame: format " + format + " not seen yet", valuesAt);
        return;
    }
    std::vector<std::uint8_t> records;
    if (!RecordParser::rebuild(*layout, data.sub(4), records) || telegramCrc(records) != frameCrc) {
        fail(reading, "compact frame: the values do not fit format " + format, valuesAt);
        return;
    }
    reading.records = RecordParser::parse(records);
}

} // namespace tovan
