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

// A console's port: the name it opens and the line settings it opens it with.
struct PortSettings {
    std::string portName = "COM1";
    DcbTemplate dcb;

    // Initial settings of a console of the family: "COM1", 115200 baud for the first family,
    // 9600 for the second, everything else zero.
    static PortSettings forFamily(ModuleFamily family);
    // The generic console that belongs to no family starts at 9600 baud.
    static PortSettings generic();
};

} // namespace tovan
