#pragma once

#include "core/wmbus/DataRecord.h"
#include "core/wmbus/TelegramLayers.h"

#include <cstdint>
#include <string>

namespace tovan {

// Whether the application data was encrypted, and what became of it.
enum class Security : std::uint8_t {
    None,        // sent in plain
    Decrypted,   // decrypted here with the meter's key
    ByReceiver,  // marked encrypted, but the receiver had decrypted it already
    NoKey,       // encrypted, and there is no key for the meter
    WrongKey,    // the meter's key does not give plain data
    Unsupported, // an encryption this workbench does not undo
};

// Everything a telegram says after its link-layer header, as far as it could be read.
struct TelegramReading {
    bool hasExtendedLink = false;
    ExtendedLinkLayer extendedLink;
    bool hasAuthentication = false;
    AuthenticationLayer authentication;
    bool hasCi = false; // there is application data after the lower layers
    std::uint8_t ci = 0;
    bool hasTransport = false; // the CI has a short or long transport header
    TransportLayer transport;
    // Whose data it is: the long transport header's meter, else the extended link layer's
    // own address, else the link layer's. Keys are looked up by its identification.
    MeterAddress meter{};
    std::string meterId;
    Security security = Security::None;
    const char* cipher = ""; // "AES-128-CBC", "AES-128-CTR" where something was encrypted
    bool compact = false;
    std::uint16_t signature = 0; // a compact frame's format signature
    RecordList records;
    // Why the application data (or the rest of it) could not be read; empty otherwise.
    std::string error;
    // The bytes that were not read, as hex text: after an error, or the data of a CI that is
    // kept as it is (alarms, manufacturer-specific frames).
    std::string unread;
};

} // namespace tovan
