#pragma once

#include "core/serial/Port.h"
#include "core/serial/PortSettings.h"
#include "core/serial/TcpConnection.h"

#include <chrono>

namespace tovan {

// A serial port served across the network as raw TCP, as ser2net serves it without telnet:
// "socket://HOST:PORT". The bytes pass as they are, both ways. Nothing but data can be said
// over it: the line settings stay those of the server's configuration, and nothing is purged.
class RawTcpPort : public Port {
public:
    // How long a server that turns clients away (the port in use) takes to hang up.
    static constexpr std::chrono::milliseconds TURN_AWAY_WAIT{150};

    explicit RawTcpPort(std::chrono::milliseconds connectTimeout)
        : m_connectTimeout(connectTimeout) {}
    ~RawTcpPort() override { close(); }
    RawTcpPort(const RawTcpPort&) = delete;
    RawTcpPort& operator=(const RawTcpPort&) = delete;

    // Takes the whole port name, "socket://HOST:PORT".
    int open(const std::string& portName) override;
    // Keeps the settings for the time a frame takes on the line; sends nothing.
    int configure(const DcbTemplate& settings) override;
    int purge(unsigned) override { return 0; }
    int pollFd() const override { return m_connection.fd(); }
    int read(std::uint8_t* buffer, std::size_t capacity, std::size_t& got, short) override {
        return m_connection.receive(buffer, capacity, got);
    }
    int writeAll(const std::uint8_t* bytes, std::size_t length, int cancelFd) override;
    bool waitUntilSent(std::size_t length, int cancelFd) const override;
    std::size_t bytesUnsent() const override { return m_connection.unsent(); }
    void close() override { m_connection.close(true); }
    bool isOpen() const override { return m_connection.isOpen(); }

private:
    std::chrono::milliseconds m_connectTimeout;
    TcpConnection m_connection;
    DcbTemplate m_settings;
};

} // namespace tovan
