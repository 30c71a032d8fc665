#include "hub/SyncHandOver.h"

#include "hub/OwnerEndpoint.h"

#include <mutex>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tovan {

struct SyncHandOver::State {
    std::mutex mutex;
    OwnerEndpoint* owner = nullptr;
    bool cancelled = false;
    bool inFlight = false;
    int eventFd = -1;

    ~State() {
        if (eventFd >= 0)
            ::close(eventFd);
    }

    void signal() {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t written = ::write(eventFd, &one, sizeof one);
    }

    // Runs on the owner's thread. The lock is never held across deliver(): the console may
    // close the port (and so cancel this hand-over) from inside its handler.
    void dispatch(const MessageBatch& batch) {
        for (std::size_t i = 0; i < batch.size(); ++i) {
            OwnerEndpoint* target = nullptr;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (cancelled)
                    return;
                target = owner;
            }
            const MessageBatch::Message message = batch.at(i);
            target->deliver(message.code, message.bytes, message.length);
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            inFlight = false;
        }
        signal();
    }
};

SyncHandOver::SyncHandOver(OwnerEndpoint& owner) : m_state(std::make_shared<State>()) {
    m_state->owner = &owner;
    m_state->eventFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_state->eventFd < 0)
        throw std::runtime_error("eventfd failed");
}

SyncHandOver::~SyncHandOver() {
    cancel();
}

bool SyncHandOver::begin(MessageBatch batch) {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    if (m_state->cancelled || m_state->inFlight)
        return false;
    m_state->inFlight = true;
    // Posting under the lock means that once cancel() has returned, no new task can reach the
    // owner. post() only queues, so the task cannot take this lock while we hold it.
    std::shared_ptr<State> state = m_state;
    m_state->owner->post([state, batch = std::make_shared<MessageBatch>(std::move(batch))] {
        state->dispatch(*batch);
    });
    return true;
}

bool SyncHandOver::inFlight() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->inFlight;
}

int SyncHandOver::wakeFd() const {
    return m_state->eventFd;
}

void SyncHandOver::clearWake() {
    std::uint64_t value = 0;
    [[maybe_unused]] ssize_t got = ::read(m_state->eventFd, &value, sizeof value);
}

bool SyncHandOver::send(MessageBatch batch) {
    if (!begin(std::move(batch)))
        return false;
    for (;;) {
        pollfd wake{m_state->eventFd, POLLIN, 0};
        ::poll(&wake, 1, -1);
        clearWake();
        std::lock_guard<std::mutex> lock(m_state->mutex);
        if (m_state->cancelled)
            return false;
        if (!m_state->inFlight)
            return true;
    }
}

void SyncHandOver::cancel() {
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        if (m_state->cancelled)
            return;
        m_state->cancelled = true;
    }
    m_state->signal();
}

bool SyncHandOver::cancelled() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->cancelled;
}

} // namespace tovan
