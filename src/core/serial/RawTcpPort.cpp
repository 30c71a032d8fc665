#include "core/serial/RawTcpPort.h"

#include "core/serial/LineTime.h"
#include "core/serial/RemoteAddress.h"
#include "core/serial/RemoteError.h"

#include <thread>

namespace tovan {

int RawTcpPort::open(const std::string& portName) {
    close();
    RemoteAddress address;
    if (!RemoteAddress::parse(portName, address) ||
        address.protocol != RemoteAddress::Protocol::RawTcp)
        return REMOTE_BAD_ADDRESS;
    const auto start = TcpConnection::Clock::now();
    for (;;) {
        int error = m_connection.connect(address.host, address.port, m_connectTimeout);
        // ser2net turns a client away with a line of text and hangs up; that text is no data
        // of the device.
        if (error == 0 && m_connection.closedWithin(TURN_AWAY_WAIT))
            error = REMOTE_CLOSED;
        if (error == 0)
            return 0;
        close();
        const auto elapsed = TcpConnection::Clock::now() - start;
        if (!TcpConnection::worthRetrying(error, elapsed, m_connectTimeout))
            return error;
        std::this_thread::sleep_for(TcpConnection::TURN_AWAY_PAUSE);
    }
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
