#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tovan {

// One TCP connection to a port server, non-blocking underneath. Every operation returns 0 or an
// error code (errno, or a RemoteError); none throws.
//
// The connection tells when the other end is gone: it closed the connection (REMOTE_CLOSED),
// reset it (ECONNRESET), or stopped answering (ETIMEDOUT: keep-alive probes find a server that
// vanished without a word within about 15 s, and data it does not acknowledge within 15 s ends
// the connection too).
class TcpConnection {
public:
    using Clock = std::chrono::steady_clock;

    // ser2net needs a moment to let go of its device after a client left; a client that comes
    // sooner is turned away (a line of text and the end of the connection). Opening tries again
    // after this pause, as long as the time allowed for connecting lasts.
    static constexpr std::chrono::milliseconds TURN_AWAY_PAUSE{100};
    // A client that still holds the port keeps it longer: then opening fails after this long.
    static constexpr std::chrono::milliseconds TURN_AWAY_WINDOW{1000};
    // Whether an attempt that ended with `error` after `elapsed` is worth another one.
    static bool worthRetrying(int error, Clock::duration elapsed,
                              std::chrono::milliseconds allowed);

    TcpConnection() = default;
    ~TcpConnection();
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // Looks `host` up and connects to the first of its addresses that answers, all within
    // `timeout`. REMOTE_HOST_UNKNOWN, REMOTE_LOOKUP_FAILED, ECONNREFUSED, ETIMEDOUT,
    // EHOSTUNREACH, ... when it fails.
    int connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout);
    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    // Reads what is waiting, at most `capacity` bytes (`got`: how many; 0 when nothing was).
    // REMOTE_CLOSED at the end of the stream. With `peek` the bytes stay to be read again.
    int receive(std::uint8_t* buffer, std::size_t capacity, std::size_t& got, bool peek = false);
    // Waits until bytes (or the end) can be read, at most until `deadline`; false on time-out.
    bool waitReadable(Clock::time_point deadline) const;
    // Whether the other end closes the connection within `wait` (a server that turns a client
    // away says a few words and hangs up at once).
    bool closedWithin(std::chrono::milliseconds wait) const;

    // Sends bytes from `bytes`, waiting for room as long as needed, until all are sent,
    // `cancelFd` (when not -1) polls readable (ECANCELED) or `deadline` passes (ETIMEDOUT).
    // `sent` tells how many went out in every case. REMOTE_CLOSED when the server has closed
    // the connection.
    int send(const std::uint8_t* bytes, std::size_t length, std::size_t& sent, int cancelFd,
             Clock::time_point deadline = Clock::time_point::max());

    // Bytes handed to the kernel that the server has not acknowledged yet.
    std::size_t unsent() const;
    // Waits until unsent() is 0, until `deadline` or until `cancelFd` polls readable (then
    // true). False when bytes were still unacknowledged at the deadline.
    bool waitUntilAcknowledged(Clock::time_point deadline, int cancelFd) const;

    // Closes. With `discard`, what has not been sent yet is thrown away (the server then gets a
    // reset instead of the end of the stream).
    void close(bool discard);

private:
    int m_fd = -1;
};

} // namespace tovan
