#include "core/serial/PortReader.h"

#include "core/hub/ConsoleMessage.h"
#include "core/serial/FrameAssembler.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
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

} // namespace

PortReader::PortReader(int portFd, ModuleFamily family, OwnerEndpoint& owner, std::uint8_t slot)
    : m_portFd(portFd), m_family(family), m_slot(slot), m_handOver(owner) {
    m_stopFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_stopFd < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

PortReader::~PortReader() {
    stop();
    ::close(m_stopFd);
}

void PortReader::start() {
    m_thread = std::thread([this] { run(); });
}

void PortReader::stop() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(m_stopFd, &one, sizeof one);
    m_handOver.cancel();
    if (m_thread.joinable())
        m_thread.join();
}

bool PortReader::drainPort(short events, FrameAssembler& assembler,
                           std::vector<std::uint8_t>& chunk) {
    // Everything queued has already arrived; it all carries the time of this wake-up.
    const std::uint32_t arrival = lineTimeMs();
    m_readAt = Clock::now();
    int queued = 0;
    ::ioctl(m_portFd, FIONREAD, &queued);
    const std::size_t wanted = queued > 0 ? std::min<std::size_t>(queued, chunk.size()) : 1;
    const ssize_t got = ::read(m_portFd, chunk.data(), wanted);
    if (got > 0) {
        for (ssize_t i = 0; i < got; ++i)
            if (assembler.feed(chunk[static_cast<std::size_t>(i)], arrival))
                m_pending.add(CD_RX_FRAME, assembler.frame(), assembler.frameLength(), m_readAt);
        return true;
    }
    if (got < 0)
        return errno == EAGAIN || errno == EINTR; // EIO, ENXIO: the device is gone
    // Nothing to read: gone when the line was hung up, a spurious wake-up otherwise.
    return (events & (POLLHUP | POLLERR | POLLNVAL)) == 0;
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
    assembler.reportDiscards(
        [this](DiscardReason reason, const std::uint8_t* bytes, std::size_t length) {
            m_discardPayload.assign(1, static_cast<std::uint8_t>(reason));
            m_discardPayload.insert(m_discardPayload.end(), bytes, bytes + length);
            m_pending.add(CD_RX_DISCARDED, m_discardPayload.data(), m_discardPayload.size(),
                          m_readAt);
        });
}

std::uint32_t PortReader::lineTimeMs() const {
    return nowMs() - m_ownPauses;
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
    int timeout = m_pending.empty() || m_handOver.inFlight()
                      ? -1
                      : static_cast<int>(COLLECT_MS -
                                         std::min(COLLECT_MS, nowMs() - m_pendingSince));
    // A partial frame that a pause ends is reported 20 ms after its last byte, not when the
    // next byte comes.
    const auto gap = static_cast<int>(FrameAssembler::FRAME_TIMEOUT_MS);
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
    // No purge here: OpenPort has purged before starting us, and a purge by a thread that
    // happens to start late would throw away bytes that arrived after OpenPort returned.
    std::unique_ptr<FrameAssembler> assembler = FrameAssembler::create(m_family);
    std::vector<std::uint8_t> chunk(READ_CHUNK);
    for (;;) {
        const bool drain = drainAllowed();
        followDiscardChoice(*assembler);
        pollfd fds[3] = {{m_stopFd, POLLIN, 0},
                         {m_handOver.wakeFd(), POLLIN, 0},
                         {drain ? m_portFd : -1, POLLIN, 0}};
        if (::poll(fds, 3, pollTimeout(drain, *assembler)) < 0 && errno != EINTR)
            return;
        // Until it waits for the port again the reader is away from it (handling what it read,
        // handing it over, waiting with its memory full): that time is its own, not the
        // line's, and bytes that arrive meanwhile continue the frame in progress.
        if (!m_paused) {
            m_paused = true;
            m_pausedAt = nowMs();
        }
        if (fds[0].revents)
            return;
        if (fds[1].revents) {
            m_handOver.clearWake();
            if (m_handOver.cancelled())
                return;
        }
        const bool wasEmpty = m_pending.empty();
        if (drain && fds[2].revents) {
            followDiscardChoice(*assembler); // the owner may have asked meanwhile
            if (!drainPort(fds[2].revents, *assembler, chunk)) {
                m_portGone = true;
                m_pending.add(CD_PORT_LOST, &m_slot, 1);
            }
        } else if (m_reporting && drain && assembler->holdsBytes()) {
            m_readAt = Clock::now();
            assembler->expire(lineTimeMs());
        }
        if (wasEmpty && !m_pending.empty())
            m_pendingSince = nowMs();
        if (!handOverIfDue())
            return;
        if (m_portGone && m_pending.empty() && !m_handOver.inFlight())
            return;
    }
}

} // namespace tovan
