#include "core/serial/RawTcpPort.h"

#include "core/serial/LineTime.h"
#include "core/serial/RemoteAddress.h"
#include "core/serial/RemoteError.h"

namespace tovan {

int RawTcpPort::open(const std::string& portName) {
    close();
    RemoteAddress address;
    if (!RemoteAddress::parse(portName, address) ||
        address.protocol != RemoteAddress::Protocol::RawTcp)
        return REMOTE_BAD_ADDRESS;
    if (const int error = m_connection.connect(address.host, address.port, m_connectTimeout))
        return error;
    // ser2net turns a second client away with a line of text and hangs up; that text is no
    // data of the device.
    if (m_connection.closedWithin(TURN_AWAY_WAIT)) {
        close();
        return REMOTE_CLOSED;
    }
    return 0;
}

int RawTcpPort::configure(const DcbTemplate& settings) {
    m_settings = settings;
    return 0;
}

int RawTcpPort::writeAll(const std::uint8_t* bytes, std::size_t length, int cancelFd) {
    std::size_t sent = 0;
    return m_connection.send(bytes, length, sent, cancelFd);
}

bool RawTcpPort::waitUntilSent(std::size_t length, int cancelFd) const {
    return m_connection.waitUntilAcknowledged(
        TcpConnection::Clock::now() + lineTime(length, m_settings) + std::chrono::milliseconds(100),
        cancelFd);
}

} // namespace tovan
