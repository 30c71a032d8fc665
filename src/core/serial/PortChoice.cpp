#include "core/serial/PortChoice.h"

#include "core/serial/FrameAssembler.h"
#include "core/serial/PortNames.h"
#include "core/serial/PosixPort.h"
#include "core/serial/RawTcpPort.h"
#include "core/serial/RemoteAddress.h"
#include "core/serial/RemoteError.h"
#include "core/serial/Rfc2217Port.h"

#include <cerrno>
#include <new>

namespace tovan {

int choosePort(const std::string& portName, const RemoteOptions& remote, PortChoice& choice) {
    try {
        if (!RemoteAddress::isRemote(portName)) {
            choice.device = resolvePortName(portName);
            if (choice.device.empty())
                return ENOENT;
            choice.port = std::make_unique<PosixPort>();
            // A local line keeps the module's own rule.
            choice.framePauseMs = FrameAssembler::FRAME_TIMEOUT_MS;
            return 0;
        }
        RemoteAddress address;
        if (!RemoteAddress::parse(portName, address))
            return REMOTE_BAD_ADDRESS;
        const std::chrono::milliseconds connectTimeout(remote.connectTimeoutMs);
        if (address.protocol == RemoteAddress::Protocol::Rfc2217)
            choice.port = std::make_unique<Rfc2217Port>(connectTimeout);
        else
            choice.port = std::make_unique<RawTcpPort>(connectTimeout);
        choice.device = portName;
        choice.framePauseMs = remote.pauseMs();
        return 0;
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

} // namespace tovan
