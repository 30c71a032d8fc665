#pragma once

#include "core/frames/FrameLayout.h"
#include "core/frames/ModuleFamily.h"
#include "core/serial/DiscardReason.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tovan {

// Cuts a received byte stream into frames. Pure state machine: it is fed each byte with the
// time it arrived, so every receive rule can be exercised without a port.
class FrameAssembler {
public:
    // Receives what the assembler throws away and why; the bytes are valid during the call.
    using DiscardSink =
        std::function<void(DiscardReason reason, const std::uint8_t* bytes, std::size_t length)>;
    // A run of stray bytes is reported in pieces of at most this many bytes.
    static constexpr std::size_t MAX_STRAY_RUN = 256;

    // A gap this long inside a frame means the module gave up on it: the partial frame is
    // dropped and the next byte starts afresh.
    static constexpr std::uint32_t FRAME_TIMEOUT_MS = 20;
    // The largest frame of either family plus the zero byte kept after every frame.
    static constexpr std::size_t RX_BUFFER_SIZE = frame::MAX_FRAME + 1;

    virtual ~FrameAssembler() = default;

    // An assembler whose pause rule is `pauseMs` instead of FRAME_TIMEOUT_MS (a port across a
    // network, where the network's own delays count into every pause).
    static std::unique_ptr<FrameAssembler> create(ModuleFamily family,
                                                  std::uint32_t pauseMs = FRAME_TIMEOUT_MS);
    std::uint32_t pauseMs() const { return m_pauseMs; }

    // Takes one byte that arrived at `timeMs` (a millisecond clock that may wrap). Times may come
    // in any order: one before the latest seen counts as no time passed, so only a real pause
    // drops a frame. Returns true when the byte completed a frame; frame() and frameLength()
    // then describe it until the next call.
    bool feed(std::uint8_t byte, std::uint32_t timeMs);

    const std::uint8_t* frame() const { return m_buffer.data(); }
    std::size_t frameLength() const { return m_frameLength; }

    // Drops any partial frame.
    void reset();
    bool idle() const { return m_state == 0; }

    // Reports every discarded byte to `sink` from now on (an empty sink: none, the default).
    // Frames are delivered exactly as without reports. A run of stray bytes is reported when a
    // start byte or a pause ends it; a partial frame when a pause ends it.
    void reportDiscards(DiscardSink sink);
    // Reports what a pause has ended by `timeMs` without waiting for the next byte to show it.
    // Changes nothing the next byte would not have changed.
    void expire(std::uint32_t timeMs);
    // Whether a pause would end something: a partial frame or stray bytes not yet reported.
    bool holdsBytes() const { return m_state != 0 || !m_stray.empty(); }

protected:
    static std::uint32_t elapsedSince(std::uint32_t earlier, std::uint32_t later);

    // One step of the family's table for byte b. Returns true on a completed frame, after
    // setting m_frameLength.
    virtual bool step(std::uint8_t b) = 0;

    void store(std::uint8_t b);
    // Puts the zero byte after the frame and publishes its length.
    void complete(std::size_t length);
    // Reports the bytes stored so far as discarded (when reports are wanted).
    void discardStored(DiscardReason reason);
    // A byte outside any frame; kept for the report of its run.
    void stray(std::uint8_t b);
    // Reports the run of stray bytes collected so far.
    void endStrayRun();

    int m_state = 0;
    std::uint8_t m_checksum = 0;
    int m_length = 0;  // LEN (or L of a raw frame)
    int m_counter = 0; // bytes still to take, or taken, depending on the family

private:
    std::array<std::uint8_t, RX_BUFFER_SIZE> m_buffer{};
    std::size_t m_writePos = 0;
    std::size_t m_frameLength = 0;
    std::uint32_t m_pauseMs = FRAME_TIMEOUT_MS;
    std::uint32_t m_lastByteTime = 0; // the latest time a byte came with
    bool m_timeKnown = false;
    DiscardSink m_discards;
    std::vector<std::uint8_t> m_stray;
};

// First family: FE LEN C1 C2 data[LEN] CS, CS = XOR of LEN .. last data byte.
class Vx31FrameAssembler : public FrameAssembler {
protected:
    bool step(std::uint8_t b) override;
};

// Second family: command frames FF CMD LEN data[LEN] CS (CS = XOR of FF .. last data byte) and
// raw frames L data[L] whose first byte is anything but FF.
class Vm77FrameAssembler : public FrameAssembler {
protected:
    bool step(std::uint8_t b) override;

private:
    bool m_raw = false;
};

} // namespace tovan
