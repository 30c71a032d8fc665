#pragma once

#include "core/frames/ModuleFamily.h"
#include "core/hub/SyncHandOver.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace tovan {

class FrameAssembler;
class OwnerEndpoint;

// The reader thread of one open port: waits for bytes, cuts them into frames with the
// family's assembler and hands every frame to the port's owner (CD_RX_FRAME), in order,
// each hand-over synchronous, each frame with the time its last bytes were read.
//
// While the owner is busy with a hand-over the reader keeps draining the port into memory,
// stamping each byte with its arrival time, so a slow console never makes the kernel's small
// receive buffer overflow. Frames completed meanwhile go over in the next hand-over. Only
// when that memory is full does the reader stop draining; the bytes that waited meanwhile
// continue the frame in progress, as they would have on the line.
class PortReader {
public:
    // Frames kept while the owner is busy: about three seconds of a 3,000,000-baud line of the
    // smallest frames. Beyond it the reader stops draining until the owner catches up.
    static constexpr std::size_t PENDING_LIMIT_BYTES = 1u << 20;

    PortReader(int portFd, ModuleFamily family, OwnerEndpoint& owner, std::uint8_t slot);
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

private:
    using Clock = std::chrono::steady_clock;

    void run();
    // Keeps m_ownPauses: ends the reader's own time away from the port when it is to wait for
    // the port again. Returns whether to drain.
    bool drainAllowed();
    // How long to wait for the port: until the collected frames are due, or until a partial
    // frame's pause runs out (when discards are reported), or for ever.
    int pollTimeout(bool drain, const FrameAssembler& assembler) const;
    // Reads what is queued and feeds it to the assembler. False when the port has gone away.
    bool drainPort(short events, FrameAssembler& assembler, std::vector<std::uint8_t>& chunk);
    // Hands the collected messages over when they are due and the owner is free. False when
    // the hand-over was cancelled.
    bool handOverIfDue();
    // Switches the assembler's discard reports to follow m_reportDiscards.
    void followDiscardChoice(FrameAssembler& assembler);
    // The time the assembler's gap rule sees: the clock minus all the time the reader spent
    // away from the port (handling what it read, handing it over, not draining a full buffer).
    std::uint32_t lineTimeMs() const;

    int m_portFd;
    ModuleFamily m_family;
    std::uint8_t m_slot;
    SyncHandOver m_handOver;
    int m_stopFd = -1;
    std::atomic<bool> m_reportDiscards{false};

    // Used by the reader thread alone.
    MessageBatch m_pending;           // collected for the next hand-over
    std::uint32_t m_pendingSince = 0; // when the first of them was collected
    Clock::time_point m_readAt;       // when the bytes being fed were read
    bool m_portGone = false;
    bool m_paused = false;
    std::uint32_t m_pausedAt = 0;
    std::uint32_t m_ownPauses = 0; // ms the reader spent away from the port
    bool m_reporting = false;      // what the reader thread has set up
    std::vector<std::uint8_t> m_discardPayload;
    std::thread m_thread;
};

} // namespace tovan
