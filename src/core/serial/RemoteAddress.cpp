#include "core/serial/RemoteAddress.h"

#include <cctype>
#include <string_view>

namespace tovan {
namespace {

constexpr std::string_view RFC2217_PREFIX = "rfc2217://";
constexpr std::string_view SOCKET_PREFIX = "socket://";

bool startsWithNoCase(const std::string& text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

// 1..65535 written in decimal digits only.
bool parsePort(std::string_view text, std::uint16_t& port) {
    if (text.empty() || text.size() > 5)
        return false;
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535)
        return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

bool plausibleHost(std::string_view host) {
    if (host.empty() || host.size() > 253)
        return false;
    for (const char c : host)
        if (std::isspace(static_cast<unsigned char>(c)) || c == '/' || c == '@')
            return false;
    return true;
}

} // namespace

bool RemoteAddress::isRemote(const std::string& portName) {
    return startsWithNoCase(portName, RFC2217_PREFIX) || startsWithNoCase(portName, SOCKET_PREFIX);
}

bool RemoteAddress::parse(const std::string& portName, RemoteAddress& address) {
    std::string_view rest = portName;
    if (startsWithNoCase(portName, RFC2217_PREFIX)) {
        address.protocol = Protocol::Rfc2217;
        rest.remove_prefix(RFC2217_PREFIX.size());
    } else if (startsWithNoCase(portName, SOCKET_PREFIX)) {
        address.protocol = Protocol::RawTcp;
        rest.remove_prefix(SOCKET_PREFIX.size());
    } else {
        return false;
    }
    std::string_view host;
    std::string_view port;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
            return false;
        host = rest.substr(1, close - 1);
        port = rest.substr(close + 2);
    } else {
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos)
            return false;
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        if (host.find(':') != std::string_view::npos)
            return false; // an IPv6 address needs its brackets
    }
    if (!plausibleHost(host) || !parsePort(port, address.port))
        return false;
    address.host = std::string(host);
    return true;
}

std::string RemoteAddress::hostAndPort() const {
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

} // namespace tovan
