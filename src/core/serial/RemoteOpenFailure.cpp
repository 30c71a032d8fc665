#include "core/serial/RemoteOpenFailure.h"

#include "core/serial/PortSettings.h"
#include "core/serial/RemoteAddress.h"
#include "core/serial/RemoteError.h"
#include "core/serial/Rfc2217Port.h"
#include "core/serial/SerialChannel.h"

#include <cerrno>
#include <cstring>

namespace tovan {
namespace {

const char* settingName(int setting) {
    switch (setting) {
    case SETTING_BAUD_RATE:
        return "the baud rate";
    case SETTING_DATA_SIZE:
        return "8 data bits";
    case SETTING_PARITY:
        return "the parity";
    case SETTING_STOP_BITS:
        return "the stop bits";
    default:
        return "the flow control";
    }
}

std::string seconds(std::uint32_t ms) {
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

OpenFailure settingFailure(int error) {
    if (error >= REMOTE_SETTING_UNCONFIRMED && error < REMOTE_SETTING_UNCONFIRMED + SETTING_COUNT)
        return {"the server did not confirm " +
                    std::string(settingName(error - REMOTE_SETTING_UNCONFIRMED)) + " within " +
                    seconds(static_cast<std::uint32_t>(Rfc2217Port::ANSWER_TIMEOUT.count())),
                "A server that does not answer the serial port settings cannot be relied on to "
                "use them."};
    return {"the server did not take " + std::string(settingName(error - REMOTE_SETTING_REFUSED)),
            "It answered with another value than the one asked for: the device behind it "
            "cannot use it. Choose a\nsetting the device has (for the baud rate, a standard "
            "one)."};
}

OpenFailure connectionFailure(const RemoteAddress& address, int error) {
    const std::string where = address.hostAndPort();
    switch (error) {
    case REMOTE_HOST_UNKNOWN:
        return {"host unknown: no address for \"" + address.host + "\"",
                "Check the host name, or give its address (rfc2217://192.0.2.10:4001)."};
    case REMOTE_LOOKUP_FAILED:
        return {"the name \"" + address.host +
                    "\" could not be looked up (the name server did "
                    "not answer)",
                "Give the host's address instead of its name, or try again later."};
    case ECONNREFUSED:
        return {"connection refused: nothing listens on " + where,
                "Is ser2net running on that host, and is " + std::to_string(address.port) +
                    " one of its ports (an accepter in its ser2net.yaml)?"};
    case ETIMEDOUT:
        return {"timed out: " + where + " did not answer within " +
                    seconds(RemoteOptions::CONNECT_TIMEOUT_MS),
                "Is the host switched on and reachable from here (a firewall in between)?"};
    case EHOSTUNREACH:
    case ENETUNREACH:
        return {"no route to " + address.host + " (" + std::strerror(error) + ")",
                "The host cannot be reached from this network."};
    case REMOTE_CLOSED:
    case ECONNRESET:
        return {"the server at " + where + " closed the connection at once",
                "ser2net does so while another client has the port open, or when it cannot "
                "open the device\nbehind it: close the other client, or look at the server's "
                "log."};
    default:
        return {std::strerror(error), {}};
    }
}

} // namespace

OpenFailure describeRemoteOpenFailure(const std::string& portName, int error) {
    if (error == static_cast<int>(SerialChannel::ERR_TOO_MANY_PORTS))
        return {"Too many communication ports opened. Please close one port.", {}};
    RemoteAddress address;
    if (!RemoteAddress::parse(portName, address))
        return {"not a network port name",
                "Write rfc2217://HOST:PORT (telnet with serial port control) or "
                "socket://HOST:PORT (raw TCP);\nan IPv6 address goes in brackets: "
                "rfc2217://[::1]:4001."};
    switch (error) {
    case REMOTE_NO_TELNET:
        return {"the server at " + address.hostAndPort() +
                    " did not answer the telnet "
                    "negotiation",
                "It may be a raw TCP port: open it as socket://" + address.hostAndPort() +
                    ", or give it telnet(rfc2217) in ser2net.yaml."};
    case REMOTE_NO_PORT_CONTROL:
        return {"the server does not offer serial port control (RFC 2217)",
                "Give the port the accepter telnet(rfc2217),tcp,PORT in ser2net.yaml, or open "
                "it as socket://" +
                    address.hostAndPort() + " with the line settings of the server."};
    case REMOTE_NO_BINARY:
        return {"the server does not pass every byte value (it refused telnet BINARY)", {}};
    case EINVAL:
        return {"these line settings cannot be sent (a baud rate of 0?)", {}};
    default:
        break;
    }
    if (error >= REMOTE_SETTING_REFUSED && error < REMOTE_SETTING_UNCONFIRMED + SETTING_COUNT)
        return settingFailure(error);
    return connectionFailure(address, error);
}

} // namespace tovan
