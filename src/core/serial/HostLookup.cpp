#include "core/serial/HostLookup.h"

#include "core/serial/RemoteError.h"

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <sys/socket.h>
#include <thread>

namespace tovan {
namespace {

int lookupError(int result, int systemError) {
    switch (result) {
    case 0:
        return 0;
    case EAI_AGAIN:
        return REMOTE_LOOKUP_FAILED;
    case EAI_MEMORY:
        return ENOMEM;
    case EAI_SYSTEM:
        return systemError != 0 ? systemError : REMOTE_LOOKUP_FAILED;
    default: // EAI_NONAME, EAI_NODATA, EAI_FAIL, ...
        return REMOTE_HOST_UNKNOWN;
    }
}

int lookUp(const std::string& host, const std::string& service, int flags, addrinfo*& list) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags | AI_NUMERICSERV;
    list = nullptr;
    return ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
}

// What the lookup thread and the caller share; whoever comes last frees it.
struct Pending {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    int result = 0;
    int systemError = 0;
    addrinfo* list = nullptr;
};

} // namespace

HostLookup::~HostLookup() {
    if (m_list)
        ::freeaddrinfo(m_list);
}

int HostLookup::run(const std::string& host, std::uint16_t port,
                    std::chrono::milliseconds timeout) {
    if (m_list) {
        ::freeaddrinfo(m_list);
        m_list = nullptr;
    }
    const std::string service = std::to_string(port);
    // Digits need no name server.
    if (lookUp(host, service, AI_NUMERICHOST, m_list) == 0)
        return 0;
    std::shared_ptr<Pending> pending;
    try {
        pending = std::make_shared<Pending>();
        std::thread([pending, host, service] {
            addrinfo* list = nullptr;
            const int result = lookUp(host, service, 0, list);
            const int systemError = errno;
            std::lock_guard<std::mutex> lock(pending->mutex);
            if (pending->abandoned) {
                if (list)
                    ::freeaddrinfo(list);
            } else {
                pending->result = result;
                pending->systemError = systemError;
                pending->list = list;
            }
            pending->done = true;
            pending->finished.notify_all();
        }).detach();
    } catch (const std::exception&) {
        // No thread to be had: look up here, unbounded, rather than not at all.
        const int result = lookUp(host, service, 0, m_list);
        return lookupError(result, errno);
    }
    std::unique_lock<std::mutex> lock(pending->mutex);
    if (!pending->finished.wait_for(lock, timeout, [&] { return pending->done; })) {
        pending->abandoned = true;
        return REMOTE_LOOKUP_FAILED;
    }
    m_list = pending->list;
    return lookupError(pending->result, pending->systemError);
}

} // namespace tovan
