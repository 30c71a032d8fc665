#pragma once

#include "core/frames/ModuleFamily.h"

#include <cstdint>
#include <string>

namespace tovan {

// Line parameter values with the meanings the stored settings and the dialog use.
enum : std::uint8_t {
    NOPARITY = 0,
    ODDPARITY = 1,
    EVENPARITY = 2,
    MARKPARITY = 3,
    SPACEPARITY = 4
};
enum : std::uint8_t { ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2 };
enum : std::uint8_t { DTR_CONTROL_DISABLE = 0, DTR_CONTROL_ENABLE = 1, DTR_CONTROL_HANDSHAKE = 2 };
enum : std::uint8_t { RTS_CONTROL_DISABLE = 0, RTS_CONTROL_ENABLE = 1, RTS_CONTROL_HANDSHAKE = 2 };

// The line parameters a console keeps for its next open: the part of a device control block
// that the workbench reads and writes. Zero everywhere means no parity, one stop bit and no
// handshake, which is what a console has before the settings dialog was confirmed once.
struct DcbTemplate {
    std::uint32_t BaudRate = 0;
    std::uint8_t Parity = NOPARITY;
    std::uint8_t StopBits = ONESTOPBIT;
    std::uint8_t fOutxCtsFlow = 0;
    std::uint8_t fOutxDsrFlow = 0;
    std::uint8_t fDtrControl = DTR_CONTROL_DISABLE;
    std::uint8_t fRtsControl = RTS_CONTROL_DISABLE;
    std::uint8_t fOutX = 0;
    std::uint8_t fInX = 0;

    // The two handshake choices of the settings dialog.
    void setRtsCtsHandshake();
    void setNoHandshake();
    bool usesRtsCts() const { return fRtsControl == RTS_CONTROL_HANDSHAKE; }

    bool operator==(const DcbTemplate& other) const;
};

// What only a port across the network (rfc2217://HOST:PORT, socket://HOST:PORT) uses.
struct RemoteOptions {
    // The pause that ends a frame. Arrival times are taken when the bytes arrive, so across a
    // network the pause rule also measures the network; a remote port may allow longer pauses.
    static constexpr std::uint32_t DEFAULT_PAUSE_MS = 20;
    static constexpr std::uint32_t MAX_PAUSE_MS = 500;
    // How long opening waits for the server to accept the connection.
    static constexpr std::uint32_t CONNECT_TIMEOUT_MS = 3000;
    // Looking again for a port that went away happens on the user's thread: a short wait.
    static constexpr std::uint32_t RETRY_CONNECT_TIMEOUT_MS = 200;

    std::uint32_t framePauseMs = DEFAULT_PAUSE_MS;
    std::uint32_t connectTimeoutMs = CONNECT_TIMEOUT_MS;

    // framePauseMs brought within DEFAULT_PAUSE_MS .. MAX_PAUSE_MS.
    std::uint32_t pauseMs() const;
    bool operator==(const RemoteOptions& other) const {
        return framePauseMs == other.framePauseMs && connectTimeoutMs == other.connectTimeoutMs;
    }
};

// A console's port: the name it opens and the line settings it opens it with.
struct PortSettings {
    std::string portName = "COM1";
    DcbTemplate dcb;
    RemoteOptions remote;

    // Initial settings of a console of the family: "COM1", 115200 baud for the first family,
    // 9600 for the second, everything else zero.
    static PortSettings forFamily(ModuleFamily family);
    // The generic console that belongs to no family starts at 9600 baud.
    static PortSettings generic();
};

} // namespace tovan
