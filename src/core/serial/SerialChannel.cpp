#include "core/serial/SerialChannel.h"

#include "core/serial/Port.h"
#include "core/serial/PortChoice.h"
#include "core/serial/PortSession.h"

#include <cerrno>

namespace tovan {

SerialChannel::SerialChannel(ModuleFamily family) : m_family(family) {}

SerialChannel::~SerialChannel() {
    for (std::uint8_t i = 0; i < MAX_PORTS; ++i)
        ClosePort(i);
}

SerialChannel& SerialChannel::forFamily(ModuleFamily family) {
    static SerialChannel vx31(ModuleFamily::VX31);
    static SerialChannel vm77(ModuleFamily::VM77);
    return family == ModuleFamily::VX31 ? vx31 : vm77;
}

std::uint32_t SerialChannel::OpenPort(const std::string& portName, const DcbTemplate& settings,
                                      OwnerEndpoint& owner, std::uint8_t& slot,
                                      const RemoteOptions& remote) {
    if (m_openCount >= MAX_PORTS)
        return ERR_TOO_MANY_PORTS;
    std::uint8_t index = 0;
    while (index < MAX_PORTS && m_slots[index].session)
        ++index;
    if (index == MAX_PORTS)
        return ERR_TOO_MANY_PORTS;

    PortChoice choice;
    if (const int error = choosePort(portName, remote, choice))
        return static_cast<std::uint32_t>(error);
    const std::uint32_t result =
        PortSession::open(std::move(choice.port), choice.device, settings, choice.framePauseMs,
                          m_family, owner, index, m_slots[index].session);
    if (result != 0)
        return result;
    slot = index;
    ++m_openCount;
    return 0;
}

std::uint32_t SerialChannel::ClosePort(std::uint8_t slot) {
    if (slot >= MAX_PORTS)
        return 0;
    std::unique_ptr<PortSession> session = std::move(m_slots[slot].session);
    if (!session)
        return 0; // a slot that holds no port must not free a place another console holds
    session->close();
    if (m_openCount > 0)
        --m_openCount;
    return 0;
}

std::uint32_t SerialChannel::SendFrame(std::uint8_t slot, const std::uint8_t* bytes,
                                       std::size_t length) {
    if (slot >= MAX_PORTS)
        return 0;
    if (length > TX_BUFFER_SIZE)
        return EMSGSIZE;
    PortSession* session = m_slots[slot].session.get();
    if (!session)
        return EBADF;
    return session->send(bytes, length);
}

bool SerialChannel::CanSend(std::uint8_t slot) const {
    return slot < MAX_PORTS && m_slots[slot].session && m_slots[slot].session->canSend();
}

std::uint32_t SerialChannel::WaitUntilWritten(std::uint8_t slot, int timeoutMs) {
    if (slot >= MAX_PORTS || !m_slots[slot].session)
        return 0;
    return m_slots[slot].session->waitUntilWritten(timeoutMs);
}

void SerialChannel::SetReportDiscards(std::uint8_t slot, bool on) {
    if (slot < MAX_PORTS && m_slots[slot].session)
        m_slots[slot].session->reportDiscards(on);
}

} // namespace tovan
