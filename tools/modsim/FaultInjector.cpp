#include "tools/modsim/FaultInjector.h"

namespace tovan::modsim {

bool FaultInjector::roll(int share) {
    return share > 0 && std::uniform_int_distribution<int>(0, 99)(m_random) < share;
}

void FaultInjector::plan(Bytes frame, bool hasChecksum, bool telegram, Clock::time_point start,
                         std::deque<Chunk>& out) {
    Clock::time_point due = start;
    bool faulty = false;
    if (roll(m_shares.stray)) {
        // Never a start byte: stray bytes must not look like the beginning of a frame.
        Bytes stray(std::uniform_int_distribution<int>(1, 3)(m_random));
        for (auto& b : stray)
            b = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0x00, 0xFD)(m_random));
        out.push_back({stray, due, telegram});
        due += FAULT_PAUSE;
        faulty = true;
    }
    if (hasChecksum && roll(m_shares.badChecksum)) {
        frame.back() ^= 0x5A;
        faulty = true;
    }
    if (frame.size() > 2 && roll(m_shares.gap)) {
        out.push_back({Bytes(frame.begin(), frame.begin() + 2), due, telegram});
        frame.erase(frame.begin(), frame.begin() + 2);
        due += FAULT_PAUSE;
        faulty = true;
    }
    out.push_back({frame, due, telegram});
    if (faulty) {
        // Give the receiver time to drop what is left before the next frame starts.
        out.push_back({Bytes{}, due + FAULT_PAUSE, telegram});
        ++m_faulty;
    }
}

} // namespace tovan::modsim
