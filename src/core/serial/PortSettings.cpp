#include "core/serial/PortSettings.h"

#include <algorithm>

namespace tovan {

void DcbTemplate::setRtsCtsHandshake() {
    fOutxCtsFlow = 1;
    fRtsControl = RTS_CONTROL_HANDSHAKE;
    fDtrControl = DTR_CONTROL_DISABLE;
    fOutxDsrFlow = 0;
    fOutX = 0;
    fInX = 0;
}

void DcbTemplate::setNoHandshake() {
    fOutxCtsFlow = 0;
    fRtsControl = RTS_CONTROL_DISABLE;
    fDtrControl = DTR_CONTROL_DISABLE;
    fOutxDsrFlow = 0;
    fOutX = 0;
    fInX = 0;
}

bool DcbTemplate::operator==(const DcbTemplate& other) const {
    return BaudRate == other.BaudRate && Parity == other.Parity && StopBits == other.StopBits &&
           fOutxCtsFlow == other.fOutxCtsFlow && fOutxDsrFlow == other.fOutxDsrFlow &&
           fDtrControl == other.fDtrControl && fRtsControl == other.fRtsControl &&
           fOutX == other.fOutX && fInX == other.fInX;
}

std::uint32_t RemoteOptions::pauseMs() const {
    return std::clamp(framePauseMs, DEFAULT_PAUSE_MS, MAX_PAUSE_MS);
}

PortSettings PortSettings::forFamily(ModuleFamily family) {
    PortSettings settings;
    settings.dcb.BaudRate = family == ModuleFamily::VX31 ? 115200 : 9600;
    return settings;
}

PortSettings PortSettings::generic() {
    PortSettings settings;
    settings.dcb.BaudRate = 9600;
    return settings;
}

} // namespace tovan
