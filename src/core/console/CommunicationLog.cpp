#include "core/console/CommunicationLog.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tovan {

CommunicationLog::~CommunicationLog() {
    close();
}

int CommunicationLog::open(const std::string& path) {
    close();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    m_fd = fd;
    return 0;
}

int CommunicationLog::write(std::string_view text) {
    if (m_fd < 0)
        return EBADF;
    m_buffer.append(text);
    return m_buffer.size() >= FLUSH_THRESHOLD ? flush() : 0;
}

int CommunicationLog::flush() {
    std::size_t done = 0;
    int error = 0;
    while (done < m_buffer.size() && m_fd >= 0) {
        const ssize_t n = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    m_buffer.clear();
    return error;
}

int CommunicationLog::close() {
    if (m_fd < 0)
        return 0;
    int error = flush();
    if (::close(m_fd) != 0 && error == 0)
        error = errno;
    m_fd = -1;
    return error;
}

} // namespace tovan
