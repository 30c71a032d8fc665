#pragma once

#include "core/frames/ModuleFamily.h"
#include "core/hub/SyncHandOver.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tovan {

class FrameAssembler;
class OwnerEndpoint;
class Port;

// The reader thread of one open port: waits for bytes, cuts them into frames with the
// family's assembler and hands every frame to the port's owner (CD_RX_FRAME), in order,
// each hand-over synchronous, each frame with the time its last bytes were read.
//
// While the owner is busy with a hand-over the reader keeps draining the port into memory,
// stamping each byte with its arrival time, so a slow console never makes the kernel's small
// receive buffer overflow. Frames completed meanwhile go over in the next hand-over. Only
// when that memory is full does the reader stop draining; the bytes that waited meanwhile
// continue the frame in progress, as they would have on the line.
//
// It is also the session's one way back to the owner: what the writer reports (a frame that
// did not reach the line) and the end of the port go over with the frames, in order.
class PortReader {
public:
    // Frames kept while the owner is busy: about three seconds of a 3,000,000-baud line of the
    // smallest frames. Beyond it the reader stops draining until the owner catches up.
    static constexpr std::size_t PENDING_LIMIT_BYTES = 1u << 20;

    // A pause of `framePauseMs` inside a frame drops it (the assembler's rule; longer for a
    // port across a network).
    PortReader(Port& port, ModuleFamily family, OwnerEndpoint& owner, std::uint8_t slot,
               std::uint32_t framePauseMs);
    ~PortReader();
    PortReader(const PortReader&) = delete;
    PortReader& operator=(const PortReader&) = delete;

    // Starts the thread. Throws std::system_error when it cannot be started.
    void start();

    // Ends the thread and waits for it; also while it waits for the owner. Prompt and safe on
    // the owner's own thread, even from inside a delivery.
    void stop();

    // Whether the owner also gets what the assembler discards (CD_RX_DISCARDED), in order
    // with the frames. Takes effect with the next bytes read.
    void reportDiscards(bool on) { m_reportDiscards = on; }

    // Any thread: tells the owner, after what was read so far, that a frame did not reach the
    // line (CD_TX_FAILED with `error`).
    void reportWriteFailure(int error);

private:
    using Clock = std::chrono::steady_clock;

    void run();
    // Keeps m_ownPauses: ends the reader's own time away from the port when it is to wait for
    // the port again. Returns whether to drain.
    bool drainAllowed();
    // How long to wait for the port: until the collected frames are due, or until a partial
    // frame's pause runs out (when discards are reported), or for ever.
    int pollTimeout(bool drain, const FrameAssembler& assembler) const;
    // Reads what is queued and feeds it to the assembler, every byte stamped `arrival`; reports
    // the port lost when it has gone away.
    void drainPort(short events, std::uint32_t arrival, FrameAssembler& assembler,
                   std::vector<std::uint8_t>& chunk);
    // Drains the port when it has bytes, or reports what a pause has ended meanwhile.
    void readOrExpire(short events, bool drain, std::uint32_t arrival, FrameAssembler& assembler,
                      std::vector<std::uint8_t>& chunk);
    // Queues CD_PORT_LOST with the slot and the reason; the reader ends once it is handed over.
    void portLost(int error);
    // Queues the write failures the writer reported since the last look.
    void takeWriteFailures();
    // Hands the collected messages over when they are due and the owner is free. False when
    // the hand-over was cancelled.
    bool handOverIfDue();
    // Switches the assembler's discard reports to follow m_reportDiscards.
    void followDiscardChoice(FrameAssembler& assembler);
    // The time the assembler's gap rule sees: the clock minus all the time the reader spent
    // away from the port (handling what it read, handing it over, not draining a full buffer).
    // It never steps back.
    std::uint32_t lineTimeAt(std::uint32_t nowMs);
    // The reader leaves the port now (`nowMs`): from here until it waits for the port again
    // the time is its own.
    void leavePort(std::uint32_t nowMs);

    Port& m_port;
    ModuleFamily m_family;
    std::uint8_t m_slot;
    std::uint32_t m_framePauseMs;
    SyncHandOver m_handOver;
    int m_stopFd = -1;
    int m_noteFd = -1; // the writer reported a failure
    std::atomic<bool> m_reportDiscards{false};
    std::mutex m_failuresMutex;
    std::vector<int> m_writeFailures;

    // Used by the reader thread alone.
    MessageBatch m_pending;           // collected for the next hand-over
    std::uint32_t m_pendingSince = 0; // when the first of them was collected
    Clock::time_point m_readAt;       // when the bytes being fed were read
    bool m_portGone = false;
    bool m_paused = false;
    std::uint32_t m_pausedAt = 0;
    std::uint32_t m_ownPauses = 0; // ms the reader spent away from the port
    std::uint32_t m_lineTime = 0;  // the last line time handed out
    bool m_reporting = false;      // what the reader thread has set up
    std::vector<std::uint8_t> m_discardPayload;
    std::thread m_thread;
};

} // namespace tovan
