#include "core/serial/PortSession.h"

#include "core/frames/FrameLayout.h"
#include "core/hub/ConsoleMessage.h"
#include "core/hub/OwnerEndpoint.h"
#include "core/serial/Port.h"
#include "core/serial/PortReader.h"
#include "core/serial/PortWriter.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>

namespace tovan {

PortSession::PortSession(std::unique_ptr<Port> port, OwnerEndpoint& owner)
    : m_port(std::move(port)), m_owner(owner) {}

PortSession::~PortSession() {
    close();
}

std::uint32_t PortSession::open(std::unique_ptr<Port> port, const std::string& device,
                                const DcbTemplate& settings, std::uint32_t framePauseMs,
                                ModuleFamily family, OwnerEndpoint& owner, std::uint8_t slot,
                                std::unique_ptr<PortSession>& session) {
    if (const int error = port->open(device))
        return static_cast<std::uint32_t>(error);
    if (const int error = port->configure(settings)) {
        port->close();
        return static_cast<std::uint32_t>(error);
    }
    port->purge(Port::PURGE_TXABORT | Port::PURGE_TXCLEAR);
    port->purge(Port::PURGE_RXABORT | Port::PURGE_RXCLEAR);
    std::unique_ptr<PortSession> opened;
    try {
        opened.reset(new PortSession(std::move(port), owner));
    } catch (const std::bad_alloc&) {
        return ENOMEM; // `port` closes with its object
    }
    if (const std::uint32_t error = opened->startThreads(family, slot, framePauseMs))
        return error; // the session closes what it started
    session = std::move(opened);
    return 0;
}

// Creating the threads needs descriptors, memory and a thread each; running out of any of
// them is an open failure with its error code, never an exception for the caller.
std::uint32_t PortSession::startThreads(ModuleFamily family, std::uint8_t slot,
                                        std::uint32_t framePauseMs) {
    try {
        m_reader = std::make_unique<PortReader>(*m_port, family, m_owner, slot, framePauseMs);
        m_writer = std::make_unique<PortWriter>(
            *m_port, [reader = m_reader.get()](int error) { reader->reportWriteFailure(error); });
        m_writer->start();
        m_reader->start();
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

bool PortSession::isOpen() const {
    return !m_closed && m_port && m_port->isOpen();
}

bool PortSession::canSend() const {
    return isOpen() && m_writer && m_writer->canTake();
}

std::uint32_t PortSession::send(const std::uint8_t* bytes, std::size_t length) {
    if (!isOpen() || !m_writer)
        return EBADF;
    if (length > frame::MAX_FRAME)
        return EMSGSIZE;
    if (!m_writer->canTake())
        return EBUSY;
    std::array<std::uint8_t, frame::MAX_FRAME + 1> buffer{};
    if (length > 0)
        std::copy(bytes, bytes + length, buffer.begin());
    // The frame is shown before it is written, so it shows even when the write fails.
    m_owner.deliver(CD_TX_FRAME, buffer.data(), length);
    // The owner may have closed the port from inside its handler.
    if (!isOpen())
        return EBADF;
    return m_writer->offer(buffer.data(), length) ? 0 : EBUSY;
}

std::uint32_t PortSession::waitUntilWritten(int timeoutMs) {
    if (!m_writer)
        return 0;
    return static_cast<std::uint32_t>(m_writer->waitUntilWritten(timeoutMs));
}

void PortSession::reportDiscards(bool on) {
    if (m_reader)
        m_reader->reportDiscards(on);
}

// The reader first, so nothing more reaches the owner; then the writer, which is cancelled in
// the middle of a frame the line holds up; then what is still queued for output goes, and the
// port closes without waiting for the line.
void PortSession::close() {
    if (m_closed)
        return;
    m_closed = true;
    if (m_reader)
        m_reader->stop();
    if (m_writer)
        m_writer->stop();
    if (m_port && m_port->isOpen()) {
        m_port->purge(Port::PURGE_TXABORT | Port::PURGE_TXCLEAR);
        m_port->close();
    }
    m_writer.reset();
    m_reader.reset();
}

} // namespace tovan
