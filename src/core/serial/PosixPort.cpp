#include "core/serial/PosixPort.h"

#include "core/serial/CustomBaudRate.h"
#include "core/serial/LineTime.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tovan {
namespace {

speed_t standardSpeed(std::uint32_t baudRate) {
    switch (baudRate) {
    case 50:
        return B50;
    case 75:
        return B75;
    case 110:
        return B110;
    case 134:
        return B134;
    case 150:
        return B150;
    case 200:
        return B200;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 1800:
        return B1800;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    case 500000:
        return B500000;
    case 576000:
        return B576000;
    case 921600:
        return B921600;
    case 1000000:
        return B1000000;
    case 1152000:
        return B1152000;
    case 1500000:
        return B1500000;
    case 2000000:
        return B2000000;
    case 2500000:
        return B2500000;
    case 3000000:
        return B3000000;
    case 3500000:
        return B3500000;
    case 4000000:
        return B4000000;
    default:
        return B0;
    }
}

// Parity and stop bits as the stored settings number them. Mark and space parity map onto
// the stick-parity bit; one and a half stop bits do not exist with 8 data bits.
int applyFraming(termios& tio, const DcbTemplate& settings) {
    tio.c_cflag &= ~(PARENB | PARODD | CMSPAR | CSTOPB | CSIZE);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    switch (settings.Parity) {
    case NOPARITY:
        break;
    case ODDPARITY:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case EVENPARITY:
        tio.c_cflag |= PARENB;
        break;
    case MARKPARITY:
        tio.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case SPACEPARITY:
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        return EINVAL;
    }
    switch (settings.StopBits) {
    case ONESTOPBIT:
        break;
    case TWOSTOPBITS:
        tio.c_cflag |= CSTOPB;
        break;
    default:
        return EINVAL;
    }
    return 0;
}

void applyHandshake(termios& tio, const DcbTemplate& settings) {
    if (settings.fOutxCtsFlow && settings.fRtsControl == RTS_CONTROL_HANDSHAKE)
        tio.c_cflag |= CRTSCTS;
    else
        tio.c_cflag &= ~CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (settings.fOutX)
        tio.c_iflag |= IXON;
    if (settings.fInX)
        tio.c_iflag |= IXOFF;
    // The driver's own XON and XOFF characters stay; a device that reports none (a fresh
    // pseudo-terminal) gets the usual DC1 and DC3.
    if (tio.c_cc[VSTART] == 0)
        tio.c_cc[VSTART] = 0x11;
    if (tio.c_cc[VSTOP] == 0)
        tio.c_cc[VSTOP] = 0x13;
}

// Drives DTR and RTS as the settings ask. Pseudo-terminals have no modem lines and refuse
// the request; that is "not supported here", not a failure.
void applyModemLines(int fd, const DcbTemplate& settings) {
    int raise = 0;
    int lower = 0;
    (settings.fDtrControl == DTR_CONTROL_ENABLE ? raise : lower) |= TIOCM_DTR;
    if (settings.fRtsControl == RTS_CONTROL_ENABLE)
        raise |= TIOCM_RTS;
    else if (settings.fRtsControl == RTS_CONTROL_DISABLE)
        lower |= TIOCM_RTS;
    if (raise)
        ::ioctl(fd, TIOCMBIS, &raise);
    if (lower)
        ::ioctl(fd, TIOCMBIC, &lower);
}

// USB adapters hold received bytes back for their latency timer (16 ms on common chips),
// close enough to the 20 ms frame gap to split frames. Ask for low latency where the driver
// knows it; anything else keeps its default.
void requestLowLatency(int fd) {
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0)
        return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &serial);
}

} // namespace

PosixPort::~PosixPort() {
    close();
}

int PosixPort::open(const std::string& devicePath) {
    close();
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // TIOCEXCL keeps other programs out; the lock also keeps out a second workbench run by
    // root, which TIOCEXCL lets through.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return error;
    }
    ::ioctl(fd, TIOCEXCL);
    // The descriptor stays non-blocking: the writer waits for room with poll(), so closing the
    // port can always interrupt a write that a stalled handshake holds up.
    m_fd = fd;
    requestLowLatency(fd);
    return 0;
}

int PosixPort::configure(const DcbTemplate& settings) {
    termios tio{};
    if (::tcgetattr(m_fd, &tio) != 0)
        return errno;
    ::cfmakeraw(&tio);
    // Bytes with a parity or framing error are passed on as received: the frame checksum,
    // not the line, decides what is kept.
    tio.c_iflag &= ~(INPCK | IGNPAR | PARMRK);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (const int error = applyFraming(tio, settings))
        return error;
    applyHandshake(tio, settings);

    if (settings.BaudRate == 0)
        return EINVAL; // B0 would hang the line up instead of setting a speed
    const speed_t speed = standardSpeed(settings.BaudRate);
    if (speed != B0) {
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
    }
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return errno;
    if (speed == B0) {
        if (const int error = setCustomBaudRate(m_fd, settings.BaudRate))
            return error;
    }
    applyModemLines(m_fd, settings);
    m_settings = settings;
    return 0;
}

int PosixPort::purge(unsigned flags) {
    const bool tx = flags & (PURGE_TXABORT | PURGE_TXCLEAR);
    const bool rx = flags & (PURGE_RXABORT | PURGE_RXCLEAR);
    const int queue = tx && rx ? TCIOFLUSH : tx ? TCOFLUSH : rx ? TCIFLUSH : -1;
    if (queue < 0)
        return 0;
    return ::tcflush(m_fd, queue) == 0 ? 0 : errno;
}

int PosixPort::read(std::uint8_t* buffer, std::size_t capacity, std::size_t& got, short events) {
    got = 0;
    int queued = 0;
    ::ioctl(m_fd, FIONREAD, &queued);
    const std::size_t wanted = queued > 0 ? std::min<std::size_t>(queued, capacity) : 1;
    const ssize_t n = ::read(m_fd, buffer, wanted);
    if (n > 0) {
        got = static_cast<std::size_t>(n);
        return 0;
    }
    if (n < 0)
        return errno == EAGAIN || errno == EINTR ? 0 : errno; // EIO, ENXIO: the device is gone
    // Nothing to read: gone when the line was hung up, a spurious wake-up otherwise.
    return (events & (POLLHUP | POLLERR | POLLNVAL)) != 0 ? EPIPE : 0;
}

int PosixPort::bytesQueued(std::size_t& count) const {
    int queued = 0;
    if (::ioctl(m_fd, FIONREAD, &queued) != 0) {
        count = 0;
        return errno;
    }
    count = queued > 0 ? static_cast<std::size_t>(queued) : 0;
    return 0;
}

std::size_t PosixPort::bytesUnsent() const {
    int unsent = 0;
    if (::ioctl(m_fd, TIOCOUTQ, &unsent) != 0 || unsent < 0)
        return 0;
    return static_cast<std::size_t>(unsent);
}

int PosixPort::writeAll(const std::uint8_t* bytes, std::size_t length, int cancelFd) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(m_fd, bytes + done, length - done);
        if (n >= 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return errno;
        pollfd fds[2] = {{m_fd, POLLOUT, 0}, {cancelFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return errno;
        if (fds[1].revents)
            return ECANCELED;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))
            return EIO;
    }
    return 0;
}

bool PosixPort::waitUntilSent(std::size_t length, int cancelFd) const {
    const auto deadline = std::chrono::steady_clock::now() + lineTime(length, m_settings) +
                          std::chrono::milliseconds(100);
    for (;;) {
        if (bytesUnsent() == 0)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        // Half a millisecond between looks; the cancel descriptor cuts the wait short.
        pollfd cancel{cancelFd, POLLIN, 0};
        const timespec step{0, 500'000};
        if (::ppoll(&cancel, 1, &step, nullptr) > 0)
            return true;
    }
}

void PosixPort::close() {
    if (m_fd < 0)
        return;
    ::tcflush(m_fd, TCOFLUSH);
    // Pseudo-terminals have no closing wait and refuse the request.
    serial_struct serial{};
    if (::ioctl(m_fd, TIOCGSERIAL, &serial) == 0) {
        serial.closing_wait = ASYNC_CLOSING_WAIT_NONE;
        ::ioctl(m_fd, TIOCSSERIAL, &serial);
    }
    ::close(m_fd);
    m_fd = -1;
}

} // namespace tovan
