#pragma once

#include "core/wmbus/ByteView.h"
#include "core/wmbus/FormatCache.h"
#include "core/wmbus/MeterKeys.h"
#include "core/wmbus/TelegramReading.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovan {

// Reads what a meter says: the layers after the link-layer header, decryption with the
// meter's key, compact frames from the layouts of earlier full frames, and the data records.
// One per console (or tool run): it keeps the keys and the formats seen in the session.
// Not meant to be shared between threads.
class TelegramReader {
public:
    void setKeys(const MeterKeys& keys) { m_keys = keys; }
    const MeterKeys& keys() const { return m_keys; }
    FormatCache& formats() { return m_formats; }

    // A raw frame as a second-family module delivers a received telegram: the length byte,
    // the telegram from its C-field on (no frame-format CRCs) and the signal-strength byte.
    TelegramReading read(ByteView frame);

    // The shortest frame that holds a CI field.
    static constexpr std::size_t MIN_FRAME = 12;

private:
    bool readExtendedLink(TelegramReading& reading, std::size_t& at);
    bool decryptExtendedLink(TelegramReading& reading, std::size_t at);
    bool takeDecrypted(TelegramReading& reading, std::size_t at, bool decrypted,
                       const char* cipher);
    bool readAuthentication(TelegramReading& reading, std::size_t& at);
    void readApplication(TelegramReading& reading, std::size_t at);
    bool decryptTransport(TelegramReading& reading, std::size_t at);
    bool transportKey(const TelegramReading& reading, const AesKey& key, AesKey& used, AesBlock& iv,
                      std::string& error);
    void readCompact(TelegramReading& reading, std::size_t at);
    void fail(TelegramReading& reading, std::string error, std::size_t from);

    MeterKeys m_keys;
    FormatCache m_formats;
    std::vector<std::uint8_t> m_plain;   // the telegram being read, decrypted in place
    std::vector<std::uint8_t> m_scratch; // decrypted bytes before they are accepted
};

} // namespace tovan
