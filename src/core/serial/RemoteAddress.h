#pragma once

#include <cstdint>
#include <string>

namespace tovan {

// A port across the network, named as other serial tools name it: "rfc2217://HOST:PORT" for a
// telnet port with serial port control (RFC 2217), "socket://HOST:PORT" for raw TCP. HOST is a
// name, an IPv4 address or an IPv6 address in brackets ("[::1]").
struct RemoteAddress {
    enum class Protocol { Rfc2217, RawTcp };

    Protocol protocol = Protocol::Rfc2217;
    std::string host; // without the brackets of an IPv6 address
    std::uint16_t port = 0;

    // Whether `portName` starts with one of the two prefixes (in any case), well-formed or not.
    static bool isRemote(const std::string& portName);
    // False when `portName` is not a well-formed remote name (no prefix, no host, a port
    // outside 1..65535, anything after the port).
    static bool parse(const std::string& portName, RemoteAddress& address);

    // "HOST:PORT" ("[::1]:4001"), as messages name it.
    std::string hostAndPort() const;
};

} // namespace tovan
