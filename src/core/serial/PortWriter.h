#pragma once

#include "core/frames/FrameLayout.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace tovan {

class Port;

// The writer thread of one open port. Writing a frame and waiting until it has left the line
// takes as long as the line needs (about 270 ms for 252 bytes at 9,600 baud), so it happens
// here and never on the user-interface thread.
//
// It holds at most two frames: the one on the line and one waiting. A frame offered while one
// is already waiting is refused, like the tick of a timer that comes while the previous tick is
// still pending: the queue never grows, and no frame is cut by the purge of the next one.
class PortWriter {
public:
    // Told, on the writer's thread, of every frame that did not reach the line: the write
    // failed, or the line did not take it in its time (ETIMEDOUT, a handshake held it up).
    using FailureSink = std::function<void(int error)>;

    PortWriter(Port& port, FailureSink failures = {});
    ~PortWriter();
    PortWriter(const PortWriter&) = delete;
    PortWriter& operator=(const PortWriter&) = delete;

    // Starts the thread. Throws std::system_error when it cannot be started.
    void start();

    // Whether offer() would take a frame now: no frame is waiting yet. Only the thread that
    // offers frames may rely on it, as only that thread fills the place.
    bool canTake();

    // Queues a frame of at most frame::MAX_FRAME bytes. False when a frame is already waiting.
    bool offer(const std::uint8_t* bytes, std::size_t length);

    // Waits until every frame offered has left (or `timeoutMs` passed) and returns the first
    // write error since the last call, 0 when there was none.
    int waitUntilWritten(int timeoutMs);

    // Ends the thread promptly, also in the middle of a frame that a stalled line holds up.
    void stop();

private:
    struct Frame {
        std::array<std::uint8_t, frame::MAX_FRAME> bytes{};
        std::size_t length = 0;
    };

    void run();
    bool takeNext(Frame& next);
    void closeDescriptors();

    void finished(int error);

    Port& m_port;
    FailureSink m_failures;
    int m_wakeFd = -1; // a frame was offered
    int m_stopFd = -1; // the writer is to end, also in the middle of a frame
    std::mutex m_mutex;
    std::condition_variable m_idle;
    Frame m_waiting;
    bool m_hasWaiting = false;
    bool m_writing = false;
    bool m_stopping = false;
    int m_firstError = 0;
    std::thread m_thread;
};

} // namespace tovan
