#include "core/hub/SyncHandOver.h"

#include "core/hub/OwnerEndpoint.h"

#include <cerrno>
#include <chrono>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace tovan {

namespace {
constexpr std::chrono::milliseconds DISPATCH_SLICE{5};
}

struct SyncHandOver::State : std::enable_shared_from_this<SyncHandOver::State> {
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

    // Runs on the owner's thread, from message `from` on. The lock is never held across
    // deliver(): the console may close the port (and so cancel this hand-over) from inside its
    // handler. A large batch is dispatched in slices of a few milliseconds, each slice a task
    // of its own, so the owner's timers, repaints and clicks get their turn during a flood.
    void dispatch(const std::shared_ptr<const MessageBatch>& batch, std::size_t from) {
        const auto sliceEnd = std::chrono::steady_clock::now() + DISPATCH_SLICE;
        for (std::size_t i = from; i < batch->size(); ++i) {
            OwnerEndpoint* target = nullptr;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (cancelled)
                    return;
                target = owner;
                if (i > from && i % 32 == 0 && std::chrono::steady_clock::now() >= sliceEnd) {
                    postDispatch(batch, i);
                    return;
                }
            }
            const MessageBatch::Message message = batch->at(i);
            if (message.arrival == MessageBatch::Clock::time_point{})
                target->deliver(message.code, message.bytes, message.length);
            else
                target->deliverArrived(message.code, message.bytes, message.length,
                                       message.arrival);
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            inFlight = false;
        }
        signal();
    }

    // Call with the lock held: once cancel() has returned, no new task can reach the owner.
    // post() only queues, so the task cannot take this lock while we hold it.
    void postDispatch(std::shared_ptr<const MessageBatch> batch, std::size_t from) {
        owner->post([self = shared_from_this(), batch = std::move(batch), from] {
            self->dispatch(batch, from);
        });
    }
};

SyncHandOver::SyncHandOver(OwnerEndpoint& owner) : m_state(std::make_shared<State>()) {
    m_state->owner = &owner;
    m_state->eventFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_state->eventFd < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

SyncHandOver::~SyncHandOver() {
    cancel();
}

bool SyncHandOver::begin(MessageBatch batch) {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    if (m_state->cancelled || m_state->inFlight)
        return false;
    m_state->inFlight = true;
    m_state->postDispatch(std::make_shared<const MessageBatch>(std::move(batch)), 0);
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
