#include "core/serial/PortReader.h"

#include "core/hub/ConsoleMessage.h"
#include "core/serial/FrameAssembler.h"
#include "core/serial/Port.h"
#include "core/serial/PortErrorText.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace tovan {
namespace {

std::uint32_t nowMs() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

constexpr std::size_t READ_CHUNK = 64 * 1024;

// Frames that arrive within a few milliseconds of each other go to the console together: a
// busy line then costs the console one wake-up per few milliseconds, not one per read, and a
// delay that short is not seen on the screen.
constexpr std::uint32_t COLLECT_MS = 3;
// A batch this large goes over at once.
constexpr std::size_t HAND_OVER_BYTES = 64 * 1024;

void signal(int fd) {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(fd, &one, sizeof one);
}

void clearSignal(int fd) {
    std::uint64_t count = 0;
    [[maybe_unused]] ssize_t got = ::read(fd, &count, sizeof count);
}

} // namespace

PortReader::PortReader(Port& port, ModuleFamily family, OwnerEndpoint& owner, std::uint8_t slot,
                       std::uint32_t framePauseMs)
    : m_port(port), m_family(family), m_slot(slot), m_framePauseMs(framePauseMs), m_handOver(owner),
      m_lineTime(nowMs()) {
    m_stopFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_noteFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_stopFd < 0 || m_noteFd < 0) {
        const int error = errno;
        for (int fd : {m_stopFd, m_noteFd})
            if (fd >= 0)
                ::close(fd);
        throw std::system_error(error, std::generic_category(), "eventfd");
    }
}

PortReader::~PortReader() {
    stop();
    ::close(m_stopFd);
    ::close(m_noteFd);
}

void PortReader::start() {
    m_thread = std::thread([this] { run(); });
}

void PortReader::stop() {
    signal(m_stopFd);
    m_handOver.cancel();
    if (m_thread.joinable())
        m_thread.join();
}

void PortReader::reportWriteFailure(int error) {
    {
        std::lock_guard<std::mutex> lock(m_failuresMutex);
        m_writeFailures.push_back(error);
    }
    signal(m_noteFd);
}

void PortReader::takeWriteFailures() {
    clearSignal(m_noteFd);
    std::vector<int> failures;
    {
        std::lock_guard<std::mutex> lock(m_failuresMutex);
        failures.swap(m_writeFailures);
    }
    for (const int error : failures) {
        const auto code = static_cast<std::uint32_t>(error);
        const std::uint8_t payload[4] = {
            static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(code >> 8),
            static_cast<std::uint8_t>(code >> 16), static_cast<std::uint8_t>(code >> 24)};
        m_pending.add(CD_TX_FAILED, payload, sizeof payload);
    }
}

void PortReader::portLost(int error) {
    m_portGone = true;
    const std::string payload = std::string(1, static_cast<char>(m_slot)) + portLossReason(error);
    m_pending.add(CD_PORT_LOST, reinterpret_cast<const std::uint8_t*>(payload.data()),
                  payload.size());
}

void PortReader::drainPort(short events, std::uint32_t arrival, FrameAssembler& assembler,
                           std::vector<std::uint8_t>& chunk) {
    // Everything queued has already arrived; it all carries the time of this wake-up.
    m_readAt = Clock::now();
    std::size_t got = 0;
    if (const int error = m_port.read(chunk.data(), chunk.size(), got, events)) {
        portLost(error);
        return;
    }
    for (std::size_t i = 0; i < got; ++i)
        if (assembler.feed(chunk[i], arrival))
            m_pending.add(CD_RX_FRAME, assembler.frame(), assembler.frameLength(), m_readAt);
}

void PortReader::followDiscardChoice(FrameAssembler& assembler) {
    const bool wanted = m_reportDiscards;
    if (wanted == m_reporting)
        return;
    m_reporting = wanted;
    if (!wanted) {
        assembler.reportDiscards({});
        return;
    }
    assembler.reportDiscards([this](DiscardReason reason, const std::uint8_t* bytes,
                                    std::size_t length) {
        m_discardPayload.assign(1, static_cast<std::uint8_t>(reason));
        m_discardPayload.insert(m_discardPayload.end(), bytes, bytes + length);
        m_pending.add(CD_RX_DISCARDED, m_discardPayload.data(), m_discardPayload.size(), m_readAt);
    });
}

std::uint32_t PortReader::lineTimeAt(std::uint32_t now) {
    // While the reader is away the line's clock stands still at the moment it left.
    const std::uint32_t time = (m_paused ? m_pausedAt : now) - m_ownPauses;
    if (static_cast<std::int32_t>(time - m_lineTime) > 0)
        m_lineTime = time;
    return m_lineTime;
}

void PortReader::leavePort(std::uint32_t now) {
    if (m_paused)
        return;
    m_paused = true;
    m_pausedAt = now;
}

bool PortReader::drainAllowed() {
    const bool drain = !m_portGone && m_pending.byteCount() < PENDING_LIMIT_BYTES;
    if (drain && m_paused) {
        m_paused = false;
        m_ownPauses += nowMs() - m_pausedAt;
    }
    return drain;
}

int PortReader::pollTimeout(bool drain, const FrameAssembler& assembler) const {
    int timeout =
        m_pending.empty() || m_handOver.inFlight()
            ? -1
            : static_cast<int>(COLLECT_MS - std::min(COLLECT_MS, nowMs() - m_pendingSince));
    // A partial frame that a pause ends is reported a pause (20 ms) after its last byte, not
    // when the next byte comes.
    const auto gap = static_cast<int>(assembler.pauseMs());
    if (m_reporting && drain && assembler.holdsBytes() && (timeout < 0 || timeout > gap))
        timeout = gap;
    return timeout;
}

bool PortReader::handOverIfDue() {
    if (m_pending.empty() || m_handOver.inFlight())
        return true;
    const bool due = m_portGone || m_pending.byteCount() >= HAND_OVER_BYTES ||
                     nowMs() - m_pendingSince >= COLLECT_MS;
    if (!due)
        return true;
    if (!m_handOver.begin(std::move(m_pending)))
        return false;
    m_pending.clear();
    return true;
}

void PortReader::run() {
    // No purge here: the session has purged before starting us, and a purge by a thread that
    // happens to start late would throw away bytes that arrived after the port was opened.
    std::unique_ptr<FrameAssembler> assembler = FrameAssembler::create(m_family, m_framePauseMs);
    std::vector<std::uint8_t> chunk(READ_CHUNK);
    for (;;) {
        const bool drain = drainAllowed();
        followDiscardChoice(*assembler);
        pollfd fds[4] = {{m_stopFd, POLLIN, 0},
                         {m_handOver.wakeFd(), POLLIN, 0},
                         {m_noteFd, POLLIN, 0},
                         {drain ? m_port.pollFd() : -1, POLLIN, 0}};
        const int ready = ::poll(fds, 4, pollTimeout(drain, *assembler));
        const int pollError = ready < 0 ? errno : 0;
        // From here until it waits for the port again the reader is away from it (handling
        // what it read, handing it over, waiting with its memory full): that time is its own,
        // not the line's, and bytes that arrive meanwhile continue the frame in progress. Bytes
        // found now arrived when it left.
        const std::uint32_t now = nowMs();
        leavePort(now);
        const std::uint32_t arrival = lineTimeAt(now);
        if (fds[0].revents)
            return;
        if (fds[1].revents) {
            m_handOver.clearWake();
            if (m_handOver.cancelled())
                return;
        }
        const bool wasEmpty = m_pending.empty();
        if (pollError != 0 && pollError != EINTR && !m_portGone)
            portLost(pollError);
        else
            readOrExpire(fds[3].revents, drain, arrival, *assembler, chunk);
        if (fds[2].revents)
            takeWriteFailures();
        if (wasEmpty && !m_pending.empty())
            m_pendingSince = nowMs();
        if (!handOverIfDue())
            return;
        if (m_portGone && m_pending.empty() && !m_handOver.inFlight())
            return;
    }
}

void PortReader::readOrExpire(short events, bool drain, std::uint32_t arrival,
                              FrameAssembler& assembler, std::vector<std::uint8_t>& chunk) {
    if (drain && events) {
        followDiscardChoice(assembler); // the owner may have asked meanwhile
        drainPort(events, arrival, assembler, chunk);
    } else if (m_reporting && drain && assembler.holdsBytes()) {
        m_readAt = Clock::now();
        assembler.expire(arrival);
    }
}

} // namespace tovan
