#include "core/wmbus/TelegramLayers.h"

#include <algorithm>
#include <cstdio>

namespace tovan {
namespace {

constexpr std::uint8_t LONG_HEADER[] = {0x53, 0x55, 0x5B, 0x5F, 0x60, 0x64, 0x68, 0x6B, 0x6C,
                                        0x6D, 0x6F, 0x72, 0x73, 0x75, 0x7C, 0x7E, 0x80, 0x82,
                                        0x84, 0x85, 0x87, 0x8B, 0x9F, 0xC0, 0xC2, 0xC3, 0xC5};
constexpr std::uint8_t SHORT_HEADER[] = {0x5A, 0x61, 0x65, 0x67, 0x6A, 0x6E, 0x74, 0x7A,
                                         0x7B, 0x7D, 0x7F, 0x88, 0x8A, 0x9E, 0xC1, 0xC4};

template <std::size_t N>
bool listed(const std::uint8_t (&list)[N], std::uint8_t ci) {
    return std::find(list, list + N, ci) != list + N;
}

bool need(ByteView t, std::size_t at, std::size_t count, const char* what, std::string& error) {
    if (at + count <= t.size)
        return true;
    error = std::string(what) + " needs " + std::to_string(count) + " bytes, " +
            std::to_string(at < t.size ? t.size - at : 0) + " are left";
    return false;
}

void copyAddress(ByteView t, std::size_t at, MeterAddress& address) {
    std::copy(t.data + at, t.data + at + address.size(), address.begin());
}

} // namespace

bool TelegramLayers::readExtendedLink(ByteView t, std::size_t& at, ExtendedLinkLayer& layer,
                                      std::string& error) {
    layer.ci = t[at];
    layer.hasAddress = layer.ci == 0x8E || layer.ci == 0x8F;
    layer.hasSession = layer.ci == 0x8D || layer.ci == 0x8F;
    const std::size_t size = 3 + (layer.hasAddress ? 8 : 0) + (layer.hasSession ? 6 : 0);
    if (!need(t, at, size, "the extended link layer", error))
        return false;
    layer.control = t[at + 1];
    layer.access = t[at + 2];
    std::size_t next = at + 3;
    if (layer.hasAddress) {
        copyAddress(t, next, layer.address);
        next += 8;
    }
    if (layer.hasSession)
        layer.session = static_cast<std::uint32_t>(t.little(next, 4));
    // The payload CRC after the session number belongs to the (encrypted) payload: the
    // caller checks it and steps over it.
    at = next + (layer.hasSession ? 4 : 0);
    return true;
}

bool TelegramLayers::readAuthentication(ByteView t, std::size_t& at, AuthenticationLayer& layer,
                                        std::string& error) {
    if (!need(t, at, 2, "the authentication layer", error))
        return false;
    const std::size_t length = t[at + 1];
    if (!need(t, at + 2, length, "the authentication layer", error) || length < 2) {
        if (error.empty())
            error = "the authentication layer is shorter than its control field";
        return false;
    }
    layer.fragmentControl = static_cast<std::uint16_t>(t.little(at + 2, 2));
    std::size_t field = at + 4;
    const std::size_t end = at + 2 + length;
    if (layer.fragmentControl & 0x2000) // message control field
        ++field;
    if (layer.fragmentControl & 0x0200) // key information
        field += 2;
    if (layer.fragmentControl & 0x0800) { // message counter
        if (field + 4 > end) {
            error = "the authentication layer's message counter runs past its length";
            return false;
        }
        layer.hasCounter = true;
        layer.counter = static_cast<std::uint32_t>(t.little(field, 4));
    }
    at = end;
    return true;
}

bool TelegramLayers::readTransport(ByteView t, std::size_t& at, TransportLayer& layer,
                                   std::string& error) {
    layer.ci = t[at];
    layer.header = headerOf(layer.ci);
    std::size_t next = at + 1;
    if (layer.header == TransportLayer::Header::None) {
        at = next;
        return true;
    }
    const bool isLong = layer.header == TransportLayer::Header::Long;
    if (!need(t, next, isLong ? 12 : 4, "the transport layer header", error))
        return false;
    if (isLong) {
        // Identification, manufacturer, version, device type: the A-field's order differs.
        layer.address = {t[next + 4], t[next + 5], t[next],     t[next + 1],
                         t[next + 2], t[next + 3], t[next + 6], t[next + 7]};
        next += 8;
    }
    layer.access = t[next];
    layer.status = t[next + 1];
    layer.config = static_cast<std::uint16_t>(t.little(next + 2, 2));
    next += 4;
    const unsigned mode = layer.securityMode();
    if (mode == 7 || mode == 13) {
        if (!need(t, next, 1, "the configuration field extension", error))
            return false;
        layer.hasConfigExtension = true;
        layer.configExtension = t[next++];
    }
    at = next;
    return true;
}

TransportLayer::Header TelegramLayers::headerOf(std::uint8_t ci) {
    if (listed(LONG_HEADER, ci))
        return TransportLayer::Header::Long;
    if (listed(SHORT_HEADER, ci))
        return TransportLayer::Header::Short;
    return TransportLayer::Header::None;
}

CiKind TelegramLayers::kindOf(std::uint8_t ci) {
    switch (ci) {
    case 0x51: // commands to a device carry records as well
    case 0x5A:
    case 0x5B:
    case 0x72:
    case 0x78:
    case 0x7A:
        return CiKind::FullFrame;
    case 0x73:
    case 0x79:
    case 0x7B:
        return CiKind::CompactFrame;
    default:
        return ci >= 0xA0 && ci <= 0xB7 ? CiKind::ManufacturerSpecific : CiKind::Other;
    }
}

const char* TelegramLayers::ciName(std::uint8_t ci) {
    struct Range {
        std::uint8_t first, last;
        const char* name;
    };
    static const Range NAMES[] = {{0x00, 0x1F, "DLMS application"},
                                  {0x50, 0x50, "application reset or select"},
                                  {0x51, 0x51, "command"},
                                  {0x53, 0x53, "application reset or select"},
                                  {0x54, 0x55, "request of selected application"},
                                  {0x5A, 0x5B, "command"},
                                  {0x5C, 0x5C, "synchronize action"},
                                  {0x5F, 0x5F, "specific usage"},
                                  {0x60, 0x61, "DLMS/COSEM command"},
                                  {0x64, 0x65, "OBIS-type command"},
                                  {0x66, 0x68, "response of selected application"},
                                  {0x69, 0x6B, "format frame"},
                                  {0x6C, 0x6D, "time synchronisation"},
                                  {0x6E, 0x70, "application error"},
                                  {0x71, 0x71, "alarm"},
                                  {0x72, 0x72, "response"},
                                  {0x73, 0x73, "compact frame"},
                                  {0x74, 0x75, "alarm"},
                                  {0x78, 0x78, "response"},
                                  {0x79, 0x79, "compact frame"},
                                  {0x7A, 0x7A, "response"},
                                  {0x7B, 0x7B, "compact frame"},
                                  {0x7C, 0x7D, "DLMS/COSEM response"},
                                  {0x7E, 0x7F, "OBIS-type response"},
                                  {0x80, 0x80, "transport layer to device"},
                                  {0x81, 0x81, "network layer"},
                                  {0x82, 0x83, "network management to device"},
                                  {0x84, 0x85, "transport layer to device"},
                                  {0x86, 0x86, "extended link layer"},
                                  {0x87, 0x89, "network management from device"},
                                  {0x8A, 0x8B, "transport layer from device"},
                                  {0x8C, 0x8F, "extended link layer"},
                                  {0x90, 0x90, "authentication and fragmentation layer"},
                                  {0x9E, 0x9F, "specific usage"},
                                  {0xA0, 0xB7, "manufacturer-specific"},
                                  {0xB8, 0xBF, "set baud rate"},
                                  {0xC0, 0xC2, "image transfer"},
                                  {0xC3, 0xC5, "security information transfer"}};
    for (const Range& range : NAMES)
        if (ci >= range.first && ci <= range.last)
            return range.name;
    return "reserved";
}

std::string TelegramLayers::statusText(std::uint8_t status) {
    static const char* const APPLICATION[4] = {"", "application busy", "application error",
                                               "abnormal condition"};
    std::string text = APPLICATION[status & 0x03];
    auto add = [&text](const std::string& words) { text += (text.empty() ? "" : ", ") + words; };
    if (status & 0x04)
        add("power low");
    if (status & 0x08)
        add("permanent error");
    if (status & 0x10)
        add("temporary error");
    if (status & 0xE0) {
        char bits[24];
        std::snprintf(bits, sizeof bits, "manufacturer bits %02X", status & 0xE0);
        add(bits);
    }
    return text.empty() ? "no error" : text;
}

} // namespace tovan
