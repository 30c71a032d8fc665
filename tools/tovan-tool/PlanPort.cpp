#include "tools/tovan-tool/PlanPort.h"

#include "core/hub/ConsoleMessage.h"
#include "core/hub/EventLoop.h"
#include "core/serial/DiscardReason.h"
#include "core/serial/LineTime.h"
#include "core/serial/OpenFailure.h"
#include "core/serial/SerialChannel.h"

#include <cstring>
#include <iostream>

namespace tovan::tool {

PlanPort::PlanPort(EventLoop& loop, ModuleFamily family, FrameHandler onFrame,
                   DiscardHandler onDiscard)
    : m_loop(loop), m_family(family), m_onFrame(std::move(onFrame)),
      m_onDiscard(std::move(onDiscard)), m_slot(SerialChannel::NO_PORT) {}

PlanPort::~PlanPort() {
    close();
}

bool PlanPort::open(const PortSettings& port) {
    SerialChannel& channel = SerialChannel::forFamily(m_family);
    const std::uint32_t result = channel.OpenPort(port.portName, port.dcb, *this, m_slot);
    if (result == 0) {
        m_dcb = port.dcb;
        channel.SetReportDiscards(m_slot, true);
        return true;
    }
    m_slot = SerialChannel::NO_PORT;
    std::cerr << "tovan-tool: "
              << formatOpenFailure(port.portName,
                                   describeOpenFailure(port.portName, static_cast<int>(result)));
    return false;
}

std::string PlanPort::send(const std::vector<std::uint8_t>& frame) {
    SerialChannel& channel = SerialChannel::forFamily(m_family);
    if (const std::uint32_t error = channel.SendFrame(m_slot, frame.data(), frame.size()))
        return std::strerror(static_cast<int>(error));
    // The next frame must not find this one still waiting: the channel would refuse it.
    const auto onTheLine =
        std::chrono::duration_cast<std::chrono::milliseconds>(lineTime(frame.size(), m_dcb));
    if (const std::uint32_t error =
            channel.WaitUntilWritten(m_slot, static_cast<int>(onTheLine.count()) + 1000))
        return std::string("could not be written: ") + std::strerror(static_cast<int>(error));
    return {};
}

void PlanPort::close() {
    if (m_slot == SerialChannel::NO_PORT)
        return;
    SerialChannel::forFamily(m_family).ClosePort(m_slot);
    m_slot = SerialChannel::NO_PORT;
    m_loop.processPending(); // deliveries still queued turn into nothing
}

void PlanPort::deliver(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) {
    deliverArrived(code, bytes, length, std::chrono::steady_clock::now());
}

void PlanPort::deliverArrived(std::uint32_t code, const std::uint8_t* bytes, std::size_t length,
                              Time arrival) {
    if (code == CD_RX_FRAME) {
        m_onFrame(std::vector<std::uint8_t>(bytes, bytes + length), arrival);
    } else if (code == CD_RX_DISCARDED && length > 0) {
        m_onDiscard(std::string(discardReasonText(bytes[0])),
                    std::vector<std::uint8_t>(bytes + 1, bytes + length), arrival);
    } else if (code == CD_PORT_LOST) {
        m_lost = true;
        m_loop.quit();
    }
}

void PlanPort::post(std::function<void()> task) {
    m_loop.post(std::move(task));
}

} // namespace tovan::tool
