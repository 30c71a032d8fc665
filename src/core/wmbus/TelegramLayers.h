#pragma once

#include "core/wmbus/ByteView.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tovan {

using MeterAddress = std::array<std::uint8_t, 8>; // M-field and A-field, as sent

// The extended link layer (CI 0x8C to 0x8F).
struct ExtendedLinkLayer {
    std::uint8_t ci = 0;
    std::uint8_t control = 0; // CC
    std::uint8_t access = 0;
    bool hasAddress = false; // 0x8E, 0x8F: the meter's own address
    MeterAddress address{};
    bool hasSession = false; // 0x8D, 0x8F: session number, then the payload CRC
    std::uint32_t session = 0;
    // 0 none, 1 AES-128-CTR.
    unsigned encryption() const { return session >> 29; }
};

// The authentication and fragmentation layer (CI 0x90).
struct AuthenticationLayer {
    std::uint16_t fragmentControl = 0;
    bool hasCounter = false;
    std::uint32_t counter = 0; // message counter, the input of mode 7's key derivation
    bool moreFragments() const { return fragmentControl & 0x4000; }
};

// The transport layer header that shares its CI with the application data.
struct TransportLayer {
    enum class Header : std::uint8_t { None, Short, Long };
    std::uint8_t ci = 0;
    Header header = Header::None;
    MeterAddress address{}; // long header: the meter behind the sender
    std::uint8_t access = 0;
    std::uint8_t status = 0;
    std::uint16_t config = 0;
    bool hasConfigExtension = false;
    std::uint8_t configExtension = 0;
    unsigned securityMode() const { return header == Header::None ? 0 : (config >> 8) & 0x1F; }
    unsigned encryptedBlocks() const { return (config >> 4) & 0x0F; }
};

// What the application data after a CI is.
enum class CiKind : std::uint8_t {
    FullFrame,    // data records
    CompactFrame, // values whose record headers an earlier full frame gave
    Other,        // alarms, errors, format frames, commands: named and kept as hex
    ManufacturerSpecific,
};

// Reads the layers between a telegram's link-layer header and its application data, each
// from `at`, moving `at` past it. False, with the reason, when the bytes end inside one.
class TelegramLayers {
public:
    static bool readExtendedLink(ByteView t, std::size_t& at, ExtendedLinkLayer& layer,
                                 std::string& error);
    static bool readAuthentication(ByteView t, std::size_t& at, AuthenticationLayer& layer,
                                   std::string& error);
    static bool readTransport(ByteView t, std::size_t& at, TransportLayer& layer,
                              std::string& error);

    static bool isExtendedLink(std::uint8_t ci) { return ci >= 0x8C && ci <= 0x8F; }
    static constexpr std::uint8_t AUTHENTICATION_CI = 0x90;
    static CiKind kindOf(std::uint8_t ci);
    static TransportLayer::Header headerOf(std::uint8_t ci);
    // What the CI stands for: "response", "compact frame", "alarm", "manufacturer-specific".
    static const char* ciName(std::uint8_t ci);
    // The status byte in words: "no error", "temporary error, power low", ...
    static std::string statusText(std::uint8_t status);
};

} // namespace tovan
