#pragma once

#include "core/hub/MessageBatch.h"

#include <memory>

namespace tovan {

class OwnerEndpoint;

// Hands console messages from a worker thread (port reader, test sequence) to the owner's
// thread and lets the worker wait until the owner has handled all of them.
//
// The wait is cancellable: cancel() wakes the worker at once, and once it has returned the
// owner is never touched again by this hand-over (messages still queued on the owner's thread
// turn into no-ops). That is what lets a console close its port, or itself, while a reader
// waits for it.
class SyncHandOver {
public:
    explicit SyncHandOver(OwnerEndpoint& owner);
    ~SyncHandOver();
    SyncHandOver(const SyncHandOver&) = delete;
    SyncHandOver& operator=(const SyncHandOver&) = delete;

    // Worker: hands `batch` over without waiting. False when cancelled or when the previous
    // batch has not been handled yet.
    bool begin(MessageBatch batch);

    // Worker: true while the batch begun last has not been handled.
    bool inFlight() const;

    // A descriptor that polls readable when a batch has been handled or the hand-over has been
    // cancelled. Call clearWake() after it fired.
    int wakeFd() const;
    void clearWake();

    // Worker: begin() and wait. True when the owner handled every message; false when cancelled.
    bool send(MessageBatch batch);

    // Any thread: wake the worker for good and drop every delivery not yet made.
    void cancel();
    bool cancelled() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace tovan
