#pragma once

#include "frames/FrameLayout.h"
#include "frames/ModuleFamily.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tovan {

// Cuts a received byte stream into frames. Pure state machine: it is fed each byte with the
// time it arrived, so every receive rule can be exercised without a port.
class FrameAssembler {
public:
    // A gap this long inside a frame means the module gave up on it: the partial frame is
    // dropped and the next byte starts afresh.
    static constexpr std::uint32_t FRAME_TIMEOUT_MS = 20;
    // The largest frame of either family plus the zero byte kept after every frame.
    static constexpr std::size_t RX_BUFFER_SIZE = frame::MAX_FRAME + 1;

    virtual ~FrameAssembler() = default;

    static std::unique_ptr<FrameAssembler> create(ModuleFamily family);

    // Takes one byte that arrived at `timeMs` (a millisecond clock; differences are taken
    // unsigned, so the clock may wrap). Returns true when the byte completed a frame; frame()
    // and frameLength() then describe it until the next call.
    bool feed(std::uint8_t byte, std::uint32_t timeMs);

    const std::uint8_t* frame() const { return m_buffer.data(); }
    std::size_t frameLength() const { return m_frameLength; }

    // Drops any partial frame.
    void reset();
    bool idle() const { return m_state == 0; }

protected:
    // One step of the family's table for byte b. Returns true on a completed frame, after
    // setting m_frameLength.
    virtual bool step(std::uint8_t b) = 0;

    void store(std::uint8_t b);
    // Puts the zero byte after the frame and publishes its length.
    void complete(std::size_t length);

    int m_state = 0;
    std::uint8_t m_checksum = 0;
    int m_length = 0;  // LEN (or L of a raw frame)
    int m_counter = 0; // bytes still to take, or taken, depending on the family

private:
    std::array<std::uint8_t, RX_BUFFER_SIZE> m_buffer{};
    std::size_t m_writePos = 0;
    std::size_t m_frameLength = 0;
    std::uint32_t m_lastByteTime = 0;
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
