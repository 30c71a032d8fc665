#pragma once

#include "core/hub/SyncHandOver.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tovan {

class OwnerEndpoint;

// A worker that hands one of the sample telegrams to a console every period, as if a module
// had just received it: code CD_TEST_TELEGRAM with the text and its terminating zero, through
// the same waiting hand-over as a port's reader. Runs from construction until stop() or
// destruction; each console owns at most one.
class TestSequence {
public:
    // Next pseudo-random integer, 0 to 32767.
    using Draw = std::function<int()>;
    static constexpr std::chrono::milliseconds DEFAULT_PERIOD{2000};

    // Without `draw`, a generator seeded with the current time in seconds is used.
    explicit TestSequence(OwnerEndpoint& owner, std::chrono::milliseconds period = DEFAULT_PERIOD,
                          Draw draw = {});
    ~TestSequence();
    TestSequence(const TestSequence&) = delete;
    TestSequence& operator=(const TestSequence&) = delete;

    // Ends the worker promptly, also while it waits for the console or between telegrams,
    // and joins it. Afterwards nothing more reaches the owner. Call from the owner's thread.
    void stop();

private:
    void run();
    bool waitPeriod();

    SyncHandOver m_handOver;
    std::chrono::milliseconds m_period;
    Draw m_draw;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_worker; // last: starts once everything above exists
};

} // namespace tovan
