#pragma once

#include "core/serial/PortSettings.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovan {

// One serial device opened for exclusive use. Every operation returns 0 or the system's error
// code (errno); none throws.
class PosixPort {
public:
    enum Purge : unsigned {
        PURGE_TXABORT = 1,
        PURGE_RXABORT = 2,
        PURGE_TXCLEAR = 4,
        PURGE_RXCLEAR = 8
    };

    PosixPort() = default;
    ~PosixPort();
    PosixPort(const PosixPort&) = delete;
    PosixPort& operator=(const PosixPort&) = delete;

    // Opens the device read/write, not as controlling terminal, for this program alone.
    int open(const std::string& devicePath);

    // Raw mode, 8 data bits and the parity, stop bits, handshake and speed of `settings`.
    int configure(const DcbTemplate& settings);

    // Discards queued output (TX flags) and/or input (RX flags).
    int purge(unsigned flags);

    // Number of received bytes waiting to be read.
    int bytesQueued(std::size_t& count) const;

    // Bytes written but not yet sent by the driver (0 when it cannot tell).
    std::size_t bytesUnsent() const;

    // Writes every byte, waiting as long as the line needs. Returns ECANCELED as soon as
    // `cancelFd` (when not -1) polls readable.
    int writeAll(const std::uint8_t* bytes, std::size_t length, int cancelFd = -1);

    // Waits until the driver has sent what was written, at most as long as `length` bytes
    // take at the configured speed plus a margin (a stalled handshake must not hang the
    // writer), or until `cancelFd` polls readable.
    void waitUntilSent(std::size_t length, int cancelFd = -1) const;

    void close();
    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
    DcbTemplate m_settings;
};

} // namespace tovan
