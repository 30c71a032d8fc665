#include "tools/modsim/SimulatedModule.h"

#include "core/frames/FrameBuilder.h"
#include "core/frames/FrameLayout.h"
#include "core/serial/LineTime.h"
#include "tools/modsim/FloodFrames.h"
#include "tools/modsim/TelegramSet.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace tovan::modsim {
namespace {

// While nobody reads the port, telegrams beyond this much are dropped, as a module's would be.
constexpr std::size_t MAX_QUEUED_BYTES = 64 * 1024;

// Paced output goes out in slices of about this long, as a UART's FIFO empties.
constexpr std::chrono::milliseconds PACE_SLICE{1};
// A paced line whose writer wakes up at most this late after it ran dry counts as busy all
// along: the bytes it could have sent meanwhile go out at once, so wake-up delays do not slow
// the line down.
constexpr std::chrono::milliseconds PACE_CATCH_UP{10};

Clock::duration lineTimeAt(std::uint32_t baud, std::size_t bytes) {
    DcbTemplate dcb;
    dcb.BaudRate = baud;
    return lineTime(bytes, dcb);
}

std::uint32_t toMs(Clock::time_point t) {
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count());
}

} // namespace

SimulatedModule::SimulatedModule(ModuleFamily family, const ModuleOptions& options)
    : m_family(family), m_options(options), m_faults(options.faults, options.seed),
      m_assembler(FrameAssembler::create(family)), m_random(options.seed * 7919u + 1),
      m_signalRandom(options.seed * 104729u + 3) {}

SimulatedModule::~SimulatedModule() {
    if (m_master >= 0)
        ::close(m_master);
    if (m_slaveKeeper >= 0)
        ::close(m_slaveKeeper);
}

bool SimulatedModule::open(std::string& error) {
    char name[256] = {};
    termios raw{};
    ::cfmakeraw(&raw);
    if (::openpty(&m_master, &m_slaveKeeper, name, &raw, nullptr) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    termios masterMode{};
    if (::tcgetattr(m_master, &masterMode) == 0) {
        ::cfmakeraw(&masterMode);
        ::tcsetattr(m_master, TCSANOW, &masterMode);
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slaveKeeper, F_SETFD, FD_CLOEXEC);
    m_devicePath = name;
    m_nextTelegram = Clock::now() + std::chrono::milliseconds(m_options.telegramIntervalMs);
    return true;
}

pollfd SimulatedModule::pollRequest(Clock::time_point now) const {
    const bool lineFree = m_lineFree <= now;
    const bool wantWrite = lineFree && ((!m_output.empty() && m_output.front().due <= now) ||
                                        m_floodWritten < m_flood.size());
    return {m_master, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0};
}

Clock::time_point SimulatedModule::nextDeadline(Clock::time_point now) const {
    Clock::time_point deadline = now + std::chrono::hours(1);
    if (!m_output.empty() && m_output.front().due > now)
        deadline = std::min(deadline, m_output.front().due);
    if (m_family == ModuleFamily::VM77 && m_options.telegramIntervalMs > 0)
        deadline = std::min(deadline, m_nextTelegram);
    const bool pending = !m_output.empty() || m_floodWritten < m_flood.size();
    if (pending && m_lineFree > now)
        deadline = std::min(deadline, m_lineFree);
    return deadline;
}

void SimulatedModule::service(short revents, Clock::time_point now) {
    if (revents & POLLIN)
        readInput(now);
    if (m_family == ModuleFamily::VM77 && m_options.telegramIntervalMs > 0 && now >= m_nextTelegram)
        queueTelegram(now);
    if (m_floodWritten < m_flood.size())
        writeFlood(now);
    else
        writeDue(now);
}

void SimulatedModule::readInput(Clock::time_point now) {
    std::uint8_t buffer[4096];
    const ssize_t got = ::read(m_master, buffer, sizeof buffer);
    for (ssize_t i = 0; i < got; ++i) {
        if (!m_assembler->feed(buffer[i], toMs(now)))
            continue;
        const Bytes frame(m_assembler->frame(), m_assembler->frame() + m_assembler->frameLength());
        ++m_framesReceived;
        answer(frame, now);
    }
}

void SimulatedModule::answer(const Bytes& frame, Clock::time_point now) {
    if (m_options.floodFrames > 0 && !m_flooded) {
        startFlood();
        return;
    }
    if (m_options.rules) {
        if (const ReplyRule* rule = m_options.rules->find(frame)) {
            if (++m_timesReceived[frame] % rule->every != 0)
                return;
            for (const Reply& reply : rule->replies)
                m_faults.plan(reply.frame, true, false, now + reply.delay, m_output);
            return;
        }
    }
    // A second-family module sends frames it gets without a start byte out over the air.
    if (m_family == ModuleFamily::VM77 && frame[0] != frame::VM77_START)
        return;
    m_faults.plan(defaultReply(frame), true, false, now, m_output);
}

// The module's answer: the same frame with the top bit of the (first) command byte set.
Bytes SimulatedModule::defaultReply(const Bytes& frame) const {
    Bytes reply(frame.begin(), frame.end() - 1);
    reply[m_family == ModuleFamily::VX31 ? 2 : 1] |= 0x80;
    reply.push_back(frame::expectedChecksum(reply.data(), reply.size()));
    return reply;
}

void SimulatedModule::queueTelegram(Clock::time_point now) {
    m_nextTelegram = now + std::chrono::milliseconds(m_options.telegramIntervalMs);
    std::size_t queued = 0;
    for (const Chunk& chunk : m_output)
        queued += chunk.bytes.size();
    if (queued > MAX_QUEUED_BYTES)
        return;
    const std::vector<Telegram>& set = telegramSet();
    m_telegramIndex = std::uniform_int_distribution<std::size_t>(0, set.size() - 1)(m_random);
    m_faults.plan(withVariedSignal(set[m_telegramIndex].bytes), false, true, now, m_output);
}

// A receiver never hears a meter twice at the same strength: the signal byte (a signed number
// of half dB) moves up to 3 dB either way, without wrapping around.
Bytes SimulatedModule::withVariedSignal(Bytes telegram) {
    const int signal = static_cast<std::int8_t>(telegram.back());
    const int step =
        std::uniform_int_distribution<int>(-MAX_SIGNAL_STEP, MAX_SIGNAL_STEP)(m_signalRandom);
    telegram.back() = static_cast<std::uint8_t>(std::clamp(signal + step, -128, 127));
    return telegram;
}

std::size_t SimulatedModule::writeOut(const std::uint8_t* bytes, std::size_t length,
                                      Clock::time_point now) {
    Clock::time_point start = now;
    if (m_options.baud > 0) {
        if (m_lineFree > now)
            return 0;
        // A line kept busy continues where it was (a late wake-up does not slow it down); an
        // idle one starts now. It may have sent what fits up to now plus one slice.
        if (now - m_lineFree < PACE_CATCH_UP)
            start = m_lineFree;
        const auto perByte = std::max(lineTimeAt(m_options.baud, 1), Clock::duration(1));
        const auto fits = static_cast<std::size_t>((now + PACE_SLICE - start) / perByte);
        length = std::min(length, std::max<std::size_t>(1, fits));
    }
    const ssize_t n = ::write(m_master, bytes, length);
    if (n <= 0)
        return 0; // EAGAIN: nobody reads; try again when poll says so
    if (m_options.baud > 0)
        m_lineFree = start + lineTimeAt(m_options.baud, static_cast<std::size_t>(n));
    return static_cast<std::size_t>(n);
}

// A planned pause after a chunk counts from when the chunk really went out: written late
// (behind other output, or slowly on a paced line) it must not shrink below 20 ms and let a
// receiver take a broken frame for a whole one.
void SimulatedModule::keepPauseAfter(const Chunk& written, Clock::time_point now) {
    if (m_output.size() < 2)
        return;
    Chunk& next = m_output[1];
    const Clock::time_point sent = m_options.baud > 0 ? std::max(m_lineFree, now) : now;
    if (next.due > written.due)
        next.due = std::max(next.due, sent + (next.due - written.due));
}

void SimulatedModule::writeDue(Clock::time_point now) {
    while (!m_output.empty() && m_output.front().due <= now) {
        Chunk& chunk = m_output.front();
        if (!chunk.bytes.empty()) {
            const std::size_t n = writeOut(chunk.bytes.data(), chunk.bytes.size(), now);
            chunk.bytes.erase(chunk.bytes.begin(), chunk.bytes.begin() + static_cast<long>(n));
            if (!chunk.bytes.empty())
                return;
        }
        keepPauseAfter(chunk, now);
        m_output.pop_front();
    }
}

void SimulatedModule::startFlood() {
    m_flooded = true;
    m_flood = floodFrames(m_family, m_options.floodFrames);
    m_floodWritten = 0;
    m_floodStart = Clock::now();
}

void SimulatedModule::writeFlood(Clock::time_point now) {
    while (m_floodWritten < m_flood.size()) {
        const std::size_t n =
            writeOut(m_flood.data() + m_floodWritten,
                     std::min<std::size_t>(65536, m_flood.size() - m_floodWritten), now);
        if (n == 0)
            return;
        m_floodWritten += n;
    }
    // What was measured: writes into the port. A pseudo-terminal takes them into its buffer as
    // fast as they come unless the module is paced at a line speed.
    const double seconds = std::chrono::duration<double>(Clock::now() - m_floodStart).count();
    std::printf("%s: flood: wrote %ld frames (%zu bytes) into the port in %.3f s", m_name.c_str(),
                m_options.floodFrames, m_flood.size(), seconds);
    if (m_options.baud > 0)
        std::printf(", paced at %u baud\n", m_options.baud);
    else
        std::printf(" (unpaced: not the speed of a line; --baud N paces the module)\n");
    std::fflush(stdout);
    m_flood.clear();
    m_floodWritten = 0;
}

} // namespace tovan::modsim
