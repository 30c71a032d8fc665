#include "core/serial/PortWriter.h"

#include "core/serial/Port.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace tovan {

namespace {

void signal(int fd) {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(fd, &one, sizeof one);
}

} // namespace

PortWriter::PortWriter(Port& port, FailureSink failures)
    : m_port(port), m_failures(std::move(failures)) {
    m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_stopFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_wakeFd < 0 || m_stopFd < 0) {
        const int error = errno;
        closeDescriptors();
        throw std::system_error(error, std::generic_category(), "eventfd");
    }
}

PortWriter::~PortWriter() {
    stop();
    closeDescriptors();
}

void PortWriter::closeDescriptors() {
    for (int fd : {m_wakeFd, m_stopFd})
        if (fd >= 0)
            ::close(fd);
    m_wakeFd = m_stopFd = -1;
}

void PortWriter::start() {
    m_thread = std::thread([this] { run(); });
}

bool PortWriter::canTake() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return !m_hasWaiting && !m_stopping;
}

bool PortWriter::offer(const std::uint8_t* bytes, std::size_t length) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_hasWaiting || m_stopping || length > m_waiting.bytes.size())
            return false;
        std::copy(bytes, bytes + length, m_waiting.bytes.begin());
        m_waiting.length = length;
        m_hasWaiting = true;
    }
    signal(m_wakeFd);
    return true;
}

int PortWriter::waitUntilWritten(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                    [this] { return m_stopping || (!m_hasWaiting && !m_writing); });
    const int error = m_firstError;
    m_firstError = 0;
    return error;
}

void PortWriter::stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    signal(m_stopFd);
    m_idle.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

// Waits for the next frame; false when the writer is to end.
bool PortWriter::takeNext(Frame& next) {
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stopping)
                return false;
            if (m_hasWaiting) {
                next = m_waiting;
                m_hasWaiting = false;
                m_writing = true;
                return true;
            }
        }
        pollfd wake[2] = {{m_wakeFd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        ::poll(wake, 2, -1);
        std::uint64_t count = 0;
        [[maybe_unused]] ssize_t got = ::read(m_wakeFd, &count, sizeof count);
    }
}

void PortWriter::run() {
    Frame frame;
    while (takeNext(frame)) {
        // What is still queued was left by a line that stalled beyond its time; the previous
        // frame has otherwise left already, so the purge cuts nothing. A pseudo-terminal
        // queues nothing: there a purge would throw away what the other end has not read yet.
        if (m_port.bytesUnsent() > 0)
            m_port.purge(Port::PURGE_TXABORT | Port::PURGE_TXCLEAR);
        int error = m_port.writeAll(frame.bytes.data(), frame.length, m_stopFd);
        // A write returns once the bytes are queued; the next frame's purge would cut what is
        // not sent yet, so the frame counts as written when it is on the line.
        if (error == 0 && !m_port.waitUntilSent(frame.length, m_stopFd))
            error = ETIMEDOUT;
        finished(error);
    }
}

void PortWriter::finished(int error) {
    const bool failed = error != 0 && error != ECANCELED;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_writing = false;
        if (failed && m_firstError == 0)
            m_firstError = error;
    }
    m_idle.notify_all();
    if (failed && m_failures)
        m_failures(error);
}

} // namespace tovan
