#pragma once

#include "core/serial/Port.h"
#include "core/serial/PortSettings.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovan {

// One local serial device (a tty: a UART, a USB adapter, a pseudo-terminal) opened for
// exclusive use. Every operation returns 0 or the system's error code (errno); none throws.
class PosixPort : public Port {
public:
    PosixPort() = default;
    ~PosixPort() override;
    PosixPort(const PosixPort&) = delete;
    PosixPort& operator=(const PosixPort&) = delete;

    // Opens the device read/write, not as controlling terminal, for this program alone.
    int open(const std::string& devicePath) override;
    int configure(const DcbTemplate& settings) override;
    int purge(unsigned flags) override;
    int pollFd() const override { return m_fd; }
    int read(std::uint8_t* buffer, std::size_t capacity, std::size_t& got, short events) override;

    // Number of received bytes waiting to be read.
    int bytesQueued(std::size_t& count) const;

    std::size_t bytesUnsent() const override;
    int writeAll(const std::uint8_t* bytes, std::size_t length, int cancelFd = -1) override;
    // A stalled handshake must not hang the writer: the wait has its bound.
    bool waitUntilSent(std::size_t length, int cancelFd = -1) const override;

    // Output still queued is discarded first, and the driver is asked not to wait for the
    // line when closing (its closing wait is up to 30 s while a handshake holds the line).
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
    DcbTemplate m_settings;
};

} // namespace tovan
