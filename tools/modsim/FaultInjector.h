#pragma once

#include "tools/modsim/ReplyRules.h"

#include <chrono>
#include <deque>
#include <random>

namespace tovan::modsim {

using Clock = std::chrono::steady_clock;

// Shares of outgoing frames, in percent, that carry each fault.
struct FaultShares {
    int badChecksum = 0; // last byte changed (frames with a checksum only)
    int gap = 0;         // a pause well over 20 ms after the second byte
    int stray = 0;       // one to three stray bytes and a pause before the frame
};

// A pause long enough for any receiver to give up on a frame.
constexpr std::chrono::milliseconds FAULT_PAUSE{60};

// Bytes to write no earlier than `due`.
struct Chunk {
    Bytes bytes;
    Clock::time_point due;
    bool telegram = false;
};

// Turns outgoing frames into timed chunks, injecting faults at the chosen shares.
class FaultInjector {
public:
    FaultInjector(FaultShares shares, unsigned seed) : m_shares(shares), m_random(seed) {}

    // Queues `frame` to go out no earlier than `start`.
    void plan(Bytes frame, bool hasChecksum, bool telegram, Clock::time_point start,
              std::deque<Chunk>& out);

    long faultyFrames() const { return m_faulty; }

private:
    bool roll(int share);

    FaultShares m_shares;
    std::mt19937 m_random;
    long m_faulty = 0;
};

} // namespace tovan::modsim
