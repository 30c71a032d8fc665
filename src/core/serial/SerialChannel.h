#pragma once

#include "core/frames/FrameLayout.h"
#include "core/frames/ModuleFamily.h"
#include "core/serial/PortSettings.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace tovan {

class OwnerEndpoint;
class PortSession;

// The only code that touches serial ports: a table of three port slots for one module
// family, each with its port session (the port, its reader and writer threads) and the console
// (owner) that receives the port's frames.
//
// OpenPort, ClosePort and SendFrame are called on the owners' thread (the user-interface
// thread); the table is changed only there.
class SerialChannel {
public:
    static constexpr std::uint8_t MAX_PORTS = 3;
    static constexpr std::uint8_t NO_PORT = 255;
    static constexpr std::uint32_t ERR_TOO_MANY_PORTS = 4;
    static constexpr std::size_t TX_BUFFER_SIZE = frame::MAX_FRAME;

    explicit SerialChannel(ModuleFamily family);
    ~SerialChannel();
    SerialChannel(const SerialChannel&) = delete;
    SerialChannel& operator=(const SerialChannel&) = delete;

    // The two channels of the process, one per family.
    static SerialChannel& forFamily(ModuleFamily family);

    // Opens `portName` with `settings`, starts its reader and reports the slot taken. A name
    // "rfc2217://HOST:PORT" or "socket://HOST:PORT" opens a port across the network, with
    // `remote` (its pause rule, how long to wait for the connection); local ports ignore it.
    // Returns 0, ERR_TOO_MANY_PORTS when all slots are taken, or the error code of the step
    // that failed (errno, or a RemoteError; the slot then stays free).
    std::uint32_t OpenPort(const std::string& portName, const DcbTemplate& settings,
                           OwnerEndpoint& owner, std::uint8_t& slot,
                           const RemoteOptions& remote = {});

    // Stops the slot's reader and writer, discards unsent output, closes its port and frees
    // the slot, within PortSession::CLOSE_BOUND. Always 0.
    std::uint32_t ClosePort(std::uint8_t slot);

    // Shows the frame to the owner (CD_TX_FRAME) and hands it to the port's writer, which
    // discards output still queued and writes it; returns without waiting for the line.
    // Returns 0, or an error before anything is shown: EMSGSIZE for frames longer than
    // TX_BUFFER_SIZE, EBADF for a slot without a port, EBUSY while a frame is already waiting
    // behind the one on the line (the frame is then neither shown nor sent, as a timer tick
    // that comes too early is skipped). A slot outside 0..2 is ignored (0).
    std::uint32_t SendFrame(std::uint8_t slot, const std::uint8_t* bytes, std::size_t length);

    // Whether SendFrame would take a frame now: the slot has a port and no frame waits behind
    // the one on the line. Only the owners' thread, which alone sends, may rely on it.
    bool CanSend(std::uint8_t slot) const;

    // Waits until the frames sent on the slot have left the line, at most `timeoutMs`, and
    // returns the first write error since the last call (0 when there was none).
    std::uint32_t WaitUntilWritten(std::uint8_t slot, int timeoutMs);

    // Whether the slot's owner also gets what the receiver discards (CD_RX_DISCARDED) from the
    // next bytes read on. Off when a port is opened.
    void SetReportDiscards(std::uint8_t slot, bool on);

    ModuleFamily family() const { return m_family; }
    std::uint8_t openCount() const { return m_openCount; }

private:
    struct PortSlot {
        std::unique_ptr<PortSession> session; // none: the slot is free
    };

    ModuleFamily m_family;
    std::array<PortSlot, MAX_PORTS> m_slots;
    std::uint8_t m_openCount = 0;
};

} // namespace tovan
