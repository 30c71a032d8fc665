#pragma once

#include "core/serial/PortSettings.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovan {

// The line a port session talks through: a local serial device, or a port served across the
// network. Every operation returns 0 or an error code (errno values); none throws. The reader
// thread calls read() while the writer thread calls writeAll() and waitUntilSent(); everything
// else happens before they start or after they have ended.
class Port {
public:
    enum Purge : unsigned {
        PURGE_TXABORT = 1,
        PURGE_RXABORT = 2,
        PURGE_TXCLEAR = 4,
        PURGE_RXCLEAR = 8
    };

    virtual ~Port() = default;

    // Opens `device` (a path or address the port class understands) for this program alone.
    virtual int open(const std::string& device) = 0;
    // Raw mode, 8 data bits and the parity, stop bits, handshake and speed of `settings`.
    virtual int configure(const DcbTemplate& settings) = 0;
    // Discards queued output (TX flags) and/or input (RX flags).
    virtual int purge(unsigned flags) = 0;

    // A descriptor that polls readable when received bytes, or the end of the port, wait.
    virtual int pollFd() const = 0;
    // Reads what is waiting, at most `capacity` bytes; `got` tells how many (0: nothing yet).
    // `events` is what poll() reported for pollFd(). Returns 0, or the error that ended the
    // port: the device went away, or the other end hung up (EPIPE).
    virtual int read(std::uint8_t* buffer, std::size_t capacity, std::size_t& got,
                     short events) = 0;

    // Writes every byte, waiting as long as the line needs. Returns ECANCELED as soon as
    // `cancelFd` (when not -1) polls readable.
    virtual int writeAll(const std::uint8_t* bytes, std::size_t length, int cancelFd) = 0;
    // Waits until what was written has left the line, at most as long as `length` bytes take
    // at the configured speed plus a margin, or until `cancelFd` polls readable. False when
    // bytes were still waiting for the line when the time was up.
    virtual bool waitUntilSent(std::size_t length, int cancelFd) const = 0;
    // Bytes written but not yet sent (0 when the port cannot tell).
    virtual std::size_t bytesUnsent() const = 0;

    // Discards unsent output and closes without waiting for the line.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

} // namespace tovan
