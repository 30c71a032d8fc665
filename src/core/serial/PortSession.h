#pragma once

#include "core/frames/ModuleFamily.h"
#include "core/serial/PortSettings.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tovan {

class OwnerEndpoint;
class Port;
class PortReader;
class PortWriter;

// One open port with its reader and writer, and one life cycle for the three: open, configure,
// purge both directions, start the writer and the reader; then stop the reader and the writer,
// discard unsent output and close. Everything the session has to say reaches its owner through
// the reader's hand-over, in order: frames, discarded bytes, frames that did not reach the
// line, the end of the port.
//
// Created, used and closed on the owner's thread.
class PortSession {
public:
    // How long closing may take, whatever the line does (a handshake holding it, a full
    // output queue): the writer is cancelled and unsent output discarded, never waited for.
    static constexpr std::chrono::milliseconds CLOSE_BOUND{100};

    ~PortSession();
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

    // Opens `device` on `port` with `settings` for `owner`, whose messages name `slot`; a
    // pause of `framePauseMs` inside a frame drops it. Returns 0 and the session, or the error
    // of the step that failed (nothing then stays open, and no thread runs).
    static std::uint32_t open(std::unique_ptr<Port> port, const std::string& device,
                              const DcbTemplate& settings, std::uint32_t framePauseMs,
                              ModuleFamily family, OwnerEndpoint& owner, std::uint8_t slot,
                              std::unique_ptr<PortSession>& session);

    // Shows the frame to the owner (CD_TX_FRAME), then hands it to the writer, which discards
    // output still queued and writes it; returns without waiting for the line. EBUSY (nothing
    // shown, nothing sent) while a frame already waits behind the one on the line; EBADF when
    // the owner closed the session from inside the echo.
    std::uint32_t send(const std::uint8_t* bytes, std::size_t length);
    // Whether send() would take a frame now.
    bool canSend() const;

    // Waits until the frames sent have left the line, at most `timeoutMs`, and returns the
    // first write error since the last call (0 when there was none).
    std::uint32_t waitUntilWritten(int timeoutMs);

    // Whether the owner also gets what the receiver discards, from the next bytes on.
    void reportDiscards(bool on);

    // Stops the reader and the writer, discards unsent output and closes the port. Prompt
    // also while the reader waits for the owner or the writer for the line; safe to repeat.
    void close();
    bool isOpen() const;

private:
    PortSession(std::unique_ptr<Port> port, OwnerEndpoint& owner);
    std::uint32_t startThreads(ModuleFamily family, std::uint8_t slot, std::uint32_t framePauseMs);

    std::unique_ptr<Port> m_port;
    OwnerEndpoint& m_owner;
    std::unique_ptr<PortWriter> m_writer;
    std::unique_ptr<PortReader> m_reader;
    bool m_closed = false;
};

} // namespace tovan
