#include "core/serial/FrameAssembler.h"

namespace tovan {

std::unique_ptr<FrameAssembler> FrameAssembler::create(ModuleFamily family, std::uint32_t pauseMs) {
    std::unique_ptr<FrameAssembler> assembler;
    if (family == ModuleFamily::VX31)
        assembler = std::make_unique<Vx31FrameAssembler>();
    else
        assembler = std::make_unique<Vm77FrameAssembler>();
    assembler->m_pauseMs = pauseMs;
    return assembler;
}

bool FrameAssembler::feed(std::uint8_t byte, std::uint32_t timeMs) {
    expire(timeMs);
    if (!m_timeKnown || elapsedSince(m_lastByteTime, timeMs) > 0)
        m_lastByteTime = timeMs;
    m_timeKnown = true;
    return step(byte);
}

// Milliseconds from `earlier` to `later` on a clock that wraps after 2^32; a time that lies
// before `earlier` (a clock read a little early by another thread) counts as none.
std::uint32_t FrameAssembler::elapsedSince(std::uint32_t earlier, std::uint32_t later) {
    const auto difference = static_cast<std::int32_t>(later - earlier);
    return difference > 0 ? static_cast<std::uint32_t>(difference) : 0;
}

void FrameAssembler::expire(std::uint32_t timeMs) {
    if (!m_timeKnown || elapsedSince(m_lastByteTime, timeMs) < m_pauseMs)
        return;
    if (m_state != 0) {
        discardStored(DiscardReason::Gap);
        reset();
    }
    endStrayRun();
}

void FrameAssembler::reportDiscards(DiscardSink sink) {
    m_discards = std::move(sink);
    m_stray.clear();
}

void FrameAssembler::discardStored(DiscardReason reason) {
    if (m_discards && m_writePos > 0)
        m_discards(reason, m_buffer.data(), m_writePos);
}

void FrameAssembler::stray(std::uint8_t b) {
    if (!m_discards)
        return;
    m_stray.push_back(b);
    if (m_stray.size() == MAX_STRAY_RUN)
        endStrayRun();
}

void FrameAssembler::endStrayRun() {
    if (m_stray.empty())
        return;
    if (m_discards)
        m_discards(DiscardReason::StrayBytes, m_stray.data(), m_stray.size());
    m_stray.clear();
}

void FrameAssembler::reset() {
    m_state = 0;
    m_writePos = 0;
    m_counter = 0;
}

void FrameAssembler::store(std::uint8_t b) {
    // Every frame the tables accept fits; the guard only keeps a logic slip from overflowing.
    if (m_writePos < RX_BUFFER_SIZE - 1)
        m_buffer[m_writePos++] = b;
}

void FrameAssembler::complete(std::size_t length) {
    // Right after the delivered bytes: a raw frame of length 0 stored one byte more than it
    // delivers.
    m_frameLength = length;
    m_buffer[length] = 0;
}

bool Vx31FrameAssembler::step(std::uint8_t b) {
    switch (m_state) {
    case 0: // idle: wait for the start byte, discard everything else
        if (b == frame::VX31_START) {
            endStrayRun();
            store(b);
            m_state = 1;
        } else {
            stray(b);
        }
        return false;
    case 1: // length
        m_length = b;
        m_checksum = b;
        store(b);
        m_counter = 0;
        m_state = 2;
        return false;
    case 2: // two command bytes and LEN data bytes
        m_checksum ^= b;
        store(b);
        if (m_counter < m_length + 1)
            ++m_counter;
        else
            m_state = 3;
        return false;
    default: { // checksum
        const bool good = b == m_checksum;
        store(b);
        if (good)
            complete(static_cast<std::size_t>(m_length) + frame::VX31_FRAMING_BYTES);
        else
            discardStored(DiscardReason::BadChecksum);
        reset();
        return good;
    }
    }
}

bool Vm77FrameAssembler::step(std::uint8_t b) {
    switch (m_state) {
    case 0: // first byte decides: FF starts a command frame, anything else is a raw length
        m_checksum = b;
        store(b);
        m_raw = b != frame::VM77_START;
        if (!m_raw) {
            m_state = 1;
        } else {
            m_length = b;
            m_counter = m_length - 1;
            m_state = m_counter <= 0 ? 4 : 3;
        }
        return false;
    case 1: // command
        m_checksum ^= b;
        store(b);
        m_state = 2;
        return false;
    case 2: // length
        m_length = b;
        m_checksum ^= b;
        store(b);
        m_counter = m_length;
        m_state = m_counter == 0 ? 4 : 3;
        return false;
    case 3: // data
        m_checksum ^= b;
        store(b);
        if (--m_counter == 0)
            m_state = 4;
        return false;
    default: { // checksum of a command frame, last data byte of a raw frame
        store(b);
        bool deliver = true;
        if (m_raw)
            complete(static_cast<std::size_t>(m_length) + 1);
        else if (b == m_checksum)
            complete(static_cast<std::size_t>(m_length) + frame::VM77_FRAMING_BYTES);
        else
            deliver = false;
        if (!deliver)
            discardStored(DiscardReason::BadChecksum);
        reset();
        return deliver;
    }
    }
}

std::string_view discardReasonText(std::uint8_t reason) {
    switch (static_cast<DiscardReason>(reason)) {
    case DiscardReason::StrayBytes:
        return "bytes before a start byte";
    case DiscardReason::BadChecksum:
        return "wrong checksum";
    case DiscardReason::Gap:
        return "pause of 20 ms or more inside a frame";
    }
    return "unknown reason";
}

} // namespace tovan
