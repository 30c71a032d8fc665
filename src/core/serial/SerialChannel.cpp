#include "core/serial/SerialChannel.h"

#include "core/hub/ConsoleMessage.h"
#include "core/hub/OwnerEndpoint.h"
#include "core/serial/PortNames.h"
#include "core/serial/PortReader.h"
#include "core/serial/PortWriter.h"
#include "core/serial/PosixPort.h"

#include <cerrno>
#include <system_error>

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
                                      OwnerEndpoint& owner, std::uint8_t& slot) {
    if (m_openCount >= MAX_PORTS)
        return ERR_TOO_MANY_PORTS;
    std::uint8_t index = 0;
    while (index < MAX_PORTS && m_slots[index].reader)
        ++index;
    if (index == MAX_PORTS)
        return ERR_TOO_MANY_PORTS;

    PortSlot& free = m_slots[index];
    const std::string device = resolvePortName(portName);
    if (device.empty())
        return ENOENT;

    std::unique_ptr<PosixPort> port;
    try {
        port = std::make_unique<PosixPort>();
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
    if (const int error = port->open(device))
        return static_cast<std::uint32_t>(error);
    if (const int error = port->configure(settings))
        return static_cast<std::uint32_t>(error); // the port closes with its object
    port->purge(PosixPort::PURGE_TXABORT | PosixPort::PURGE_TXCLEAR);
    port->purge(PosixPort::PURGE_RXABORT | PosixPort::PURGE_RXCLEAR);
    free.port = std::move(port);
    free.owner = &owner;

    if (const std::uint32_t error = startThreads(free, index)) {
        release(free);
        return error;
    }
    slot = index;
    ++m_openCount;
    return 0;
}

// Creating the threads needs descriptors, memory and a thread each; running out of any of
// them is an open failure with its error code, never an exception for the caller.
std::uint32_t SerialChannel::startThreads(PortSlot& slot, std::uint8_t index) {
    try {
        auto writer = std::make_unique<PortWriter>(*slot.port);
        writer->start();
        slot.writer = std::move(writer);
        auto reader = std::make_unique<PortReader>(slot.port->fd(), m_family, *slot.owner, index);
        reader->start();
        slot.reader = std::move(reader);
        return 0;
    } catch (const std::system_error& error) {
        return error.code().value() != 0 ? static_cast<std::uint32_t>(error.code().value())
                                         : static_cast<std::uint32_t>(EAGAIN);
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    } catch (const std::exception&) {
        return EIO;
    }
}

void SerialChannel::release(PortSlot& slot) {
    if (slot.writer)
        slot.writer->stop();
    slot.writer.reset();
    if (slot.reader)
        slot.reader->stop();
    slot.reader.reset();
    slot.port.reset();
    slot.owner = nullptr;
}

std::uint32_t SerialChannel::ClosePort(std::uint8_t slot) {
    if (slot >= MAX_PORTS)
        return 0;
    PortSlot& open = m_slots[slot];
    const bool wasOpen = open.reader != nullptr;
    release(open);
    // Closing a slot that holds no port must not free a place that another console holds.
    if (wasOpen && m_openCount > 0)
        --m_openCount;
    return 0;
}

std::uint32_t SerialChannel::SendFrame(std::uint8_t slot, const std::uint8_t* bytes,
                                       std::size_t length) {
    if (slot >= MAX_PORTS)
        return 0;
    if (length > TX_BUFFER_SIZE)
        return EMSGSIZE;
    PortSlot& open = m_slots[slot];
    if (!open.reader || !open.writer)
        return EBADF;
    if (!open.writer->canTake())
        return EBUSY;

    std::array<std::uint8_t, TX_BUFFER_SIZE + 1> buffer{};
    if (length > 0)
        std::copy(bytes, bytes + length, buffer.begin());
    // The frame is shown before it is written, so it shows even when the write fails.
    open.owner->deliver(CD_TX_FRAME, buffer.data(), length);
    // The owner may have closed the port from inside its handler.
    if (!open.writer)
        return EBADF;
    return open.writer->offer(buffer.data(), length) ? 0 : EBUSY;
}

std::uint32_t SerialChannel::WaitUntilWritten(std::uint8_t slot, int timeoutMs) {
    if (slot >= MAX_PORTS || !m_slots[slot].writer)
        return 0;
    return static_cast<std::uint32_t>(m_slots[slot].writer->waitUntilWritten(timeoutMs));
}

void SerialChannel::SetReportDiscards(std::uint8_t slot, bool on) {
    if (slot < MAX_PORTS && m_slots[slot].reader)
        m_slots[slot].reader->reportDiscards(on);
}

} // namespace tovan
