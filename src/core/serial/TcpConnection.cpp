#include "core/serial/TcpConnection.h"

#include "core/serial/HostLookup.h"
#include "core/serial/RemoteError.h"

#include <algorithm>
#include <cerrno>
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace tovan {
namespace {

using Clock = TcpConnection::Clock;

// Milliseconds left until `deadline` for poll(): never negative, -1 for no deadline.
int msUntil(Clock::time_point deadline) {
    if (deadline == Clock::time_point::max())
        return -1;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    // Rounded up, so a wait never ends just before its deadline and spins.
    return static_cast<int>(std::max<long long>(0, left.count() + 1));
}

// A silent server is noticed: keep-alive probes after 5 s without traffic, every 2 s, 5 of
// them; data it does not acknowledge within 15 s ends the connection. Frames are small and
// time matters, so they go out at once instead of waiting to be combined (Nagle).
void tuneSocket(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    const int idle = 5, interval = 2, count = 5;
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
    const unsigned userTimeoutMs = 15000;
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
}

// Connects to one address; returns the descriptor or -1 with `error` set.
int connectTo(const addrinfo& address, Clock::time_point deadline, int& error) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            address.ai_protocol);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    error = 0;
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            pollfd pfd{fd, POLLOUT, 0};
            int ready = 0;
            do
                ready = ::poll(&pfd, 1, msUntil(deadline));
            while (ready < 0 && errno == EINTR);
            socklen_t size = sizeof error;
            if (ready == 0)
                error = ETIMEDOUT;
            else if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
                error = errno;
        }
    }
    if (error != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

bool TcpConnection::worthRetrying(int error, Clock::duration elapsed,
                                  std::chrono::milliseconds allowed) {
    const bool turnedAway = error == REMOTE_CLOSED || error == ECONNRESET;
    return turnedAway && elapsed + TURN_AWAY_PAUSE < std::min(allowed, TURN_AWAY_WINDOW);
}

TcpConnection::~TcpConnection() {
    close(true);
}

int TcpConnection::connect(const std::string& host, std::uint16_t port,
                           std::chrono::milliseconds timeout) {
    close(true);
    const Clock::time_point deadline = Clock::now() + timeout;
    HostLookup lookup;
    if (const int error = lookup.run(host, port, timeout))
        return error;
    int error = ETIMEDOUT;
    for (const addrinfo* address = lookup.addresses(); address; address = address->ai_next) {
        if (Clock::now() >= deadline)
            return ETIMEDOUT;
        const int fd = connectTo(*address, deadline, error);
        if (fd >= 0) {
            tuneSocket(fd);
            m_fd = fd;
            return 0;
        }
    }
    return error;
}

int TcpConnection::receive(std::uint8_t* buffer, std::size_t capacity, std::size_t& got,
                           bool peek) {
    got = 0;
    const ssize_t n = ::recv(m_fd, buffer, capacity, MSG_DONTWAIT | (peek ? MSG_PEEK : 0));
    if (n > 0) {
        got = static_cast<std::size_t>(n);
        // Acknowledge at once: a server that combines small segments (Nagle) holds the next
        // bytes of a frame until this acknowledgement, and a delayed one (up to 40 ms) would
        // show as a pause inside the frame. The kernel forgets the choice, so it is renewed.
        const int on = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
        return 0;
    }
    if (n == 0)
        return capacity == 0 ? 0 : REMOTE_CLOSED;
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : errno;
}

bool TcpConnection::waitReadable(Clock::time_point deadline) const {
    pollfd pfd{m_fd, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&pfd, 1, msUntil(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return ready != 0;
    }
}

bool TcpConnection::closedWithin(std::chrono::milliseconds wait) const {
    const Clock::time_point deadline = Clock::now() + wait;
    pollfd pfd{m_fd, POLLRDHUP, 0};
    for (;;) {
        const int ready = ::poll(&pfd, 1, msUntil(deadline));
        if (ready > 0)
            return (pfd.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

int TcpConnection::send(const std::uint8_t* bytes, std::size_t length, std::size_t& sent,
                        int cancelFd, Clock::time_point deadline) {
    sent = 0;
    while (sent < length) {
        const ssize_t n = ::send(m_fd, bytes + sent, length - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno == EPIPE)
            return REMOTE_CLOSED;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return errno;
        pollfd fds[2] = {{m_fd, POLLOUT, 0}, {cancelFd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, msUntil(deadline));
        if (ready < 0 && errno != EINTR)
            return errno;
        if (fds[1].revents)
            return ECANCELED;
        if (ready == 0)
            return ETIMEDOUT;
    }
    return 0;
}

std::size_t TcpConnection::unsent() const {
    int unsent = 0;
    if (m_fd < 0 || ::ioctl(m_fd, SIOCOUTQ, &unsent) != 0 || unsent < 0)
        return 0;
    return static_cast<std::size_t>(unsent);
}

bool TcpConnection::waitUntilAcknowledged(Clock::time_point deadline, int cancelFd) const {
    for (;;) {
        if (unsent() == 0)
            return true;
        if (Clock::now() >= deadline)
            return false;
        // Half a millisecond between looks; the cancel descriptor cuts the wait short.
        pollfd cancel{cancelFd, POLLIN, 0};
        const timespec step{0, 500'000};
        if (::ppoll(&cancel, 1, &step, nullptr) > 0)
            return true;
    }
}

void TcpConnection::close(bool discard) {
    if (m_fd < 0)
        return;
    // Bytes the kernel has not even sent yet (a server that stopped reading) are thrown away
    // with a reset; a queue that has left ends with an ordinary close.
    int notSent = 0;
    if (discard && ::ioctl(m_fd, SIOCOUTQNSD, &notSent) == 0 && notSent > 0) {
        const linger reset{1, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    ::close(m_fd);
    m_fd = -1;
}

} // namespace tovan
