#include "core/console/ConsolePlan.h"

#include "core/console/ConsolePort.h"
#include "core/console/ConsoleState.h"
#include "core/serial/DiscardReason.h"
#include "core/serial/PortErrorText.h"
#include "core/serial/SerialChannel.h"

#include <algorithm>
#include <cerrno>

namespace tovan {
namespace {

using Time = ConsolePlan::Time;

// How soon a plan looks again whether the line takes its next frame. A frame of a few bytes
// leaves a 115,200-baud line in well under a millisecond.
constexpr std::chrono::milliseconds LINE_RETRY{1};

Time orNow(Time arrival) {
    return arrival == Time{} ? PlanRunner::Clock::now() : arrival;
}

} // namespace

ConsolePlan::ConsolePlan(Context context) : m_c(context) {}

ConsolePlan::~ConsolePlan() = default;

std::string ConsolePlan::start(TestPlan plan, std::string name, unsigned rounds) {
    if (running())
        return "A test plan is already running on this console. Stop it first.";
    if (m_c.state.slot == SerialChannel::NO_PORT)
        return "The communication port is closed. Please open it before running a test plan.";
    m_slot = m_c.state.slot;
    m_name = std::move(name);
    m_end = ConsolePlanEnd::Running;
    ++m_runNumber;
    m_begun = false;
    m_lineBusyUntil.reset();
    RunnerHooks hooks;
    hooks.send = [this](const std::vector<std::uint8_t>& frame) { return send(frame); };
    m_runner = std::make_unique<PlanRunner>(std::move(plan), std::move(hooks), rounds);
    // An expect that gets nothing says what the receiver threw away instead; the traffic
    // window still shows discarded bytes only when the user asked for them.
    m_c.channel.SetReportDiscards(m_slot, true);
    m_started = PlanRunner::Clock::now();
    advance(m_started);
    if (m_listener)
        m_listener();
    return {};
}

void ConsolePlan::stop() {
    if (!running())
        return;
    finish(ConsolePlanEnd::Stopped);
    if (m_listener)
        m_listener();
}

void ConsolePlan::checkPort() {
    if (!running() || m_c.state.slot == m_slot)
        return;
    finish(ConsolePlanEnd::PortClosed);
    if (m_listener)
        m_listener();
}

void ConsolePlan::onFrame(const std::uint8_t* bytes, std::size_t length, Time arrival) {
    if (!running() || (!bytes && length > 0))
        return;
    const Seen before = seen();
    m_runner->onFrame(std::vector<std::uint8_t>(bytes, bytes + length), orNow(arrival));
    // What the frame decided goes on at once: the next frame goes out from here, not at the
    // window's next wake-up.
    const Time now = PlanRunner::Clock::now();
    if (const auto due = nextDeadline(); due && *due <= now)
        advance(now);
    tellIfChanged(before);
}

void ConsolePlan::onDiscarded(const std::uint8_t* payload, std::size_t length, Time arrival) {
    if (!running() || !payload || length == 0)
        return;
    m_runner->onDiscarded(std::string(discardReasonText(payload[0])),
                          std::vector<std::uint8_t>(payload + 1, payload + length), orNow(arrival));
}

void ConsolePlan::onTime(Time now) {
    if (!running())
        return;
    const Seen before = seen();
    advance(now);
    tellIfChanged(before);
}

// Lets the runner go on when the line can take a frame: the port's writer holds the frame on
// the line and one more, and refuses a third, which a plan of sends without expects would
// otherwise offer.
void ConsolePlan::advance(Time now) {
    if (m_c.state.slot != m_slot) {
        finish(ConsolePlanEnd::PortClosed);
        return;
    }
    if (!m_c.channel.CanSend(m_slot)) {
        m_lineBusyUntil = now + LINE_RETRY;
        return;
    }
    m_lineBusyUntil.reset();
    if (m_begun) {
        m_runner->onTime(now);
    } else {
        m_begun = true;
        m_runner->start(now);
    }
    if (m_runner->finished())
        finish(m_runner->end() == RunEnd::StoppedOnFailure ? ConsolePlanEnd::StoppedOnFailure
               : m_runner->end() == RunEnd::Stopped        ? ConsolePlanEnd::Stopped
                                                           : ConsolePlanEnd::Completed);
}

std::optional<Time> ConsolePlan::nextDeadline() const {
    if (!running())
        return std::nullopt;
    std::optional<Time> due = m_begun ? m_runner->nextDeadline() : std::optional<Time>(m_started);
    if (due && m_lineBusyUntil)
        due = std::max(*due, *m_lineBusyUntil);
    return due;
}

const std::vector<StepResult>& ConsolePlan::results() const {
    static const std::vector<StepResult> none;
    return m_runner ? m_runner->results() : none;
}

std::string ConsolePlan::endText() const {
    switch (m_end) {
    case ConsolePlanEnd::None:
        return {};
    case ConsolePlanEnd::Running:
        return "running";
    case ConsolePlanEnd::Completed:
        return "completed";
    case ConsolePlanEnd::StoppedOnFailure:
        return "stopped at a failure (stop-on-failure on)";
    case ConsolePlanEnd::Stopped:
        return "stopped";
    case ConsolePlanEnd::PortClosed:
        return "stopped: the port was closed";
    }
    return {};
}

// The console's own send path: the frame is shown (and the writer tells of a failed write)
// as every other frame is.
std::string ConsolePlan::send(const std::vector<std::uint8_t>& frame) {
    const std::uint32_t error = m_c.port.send(frame.data(), frame.size(), {});
    switch (error) {
    case 0:
        return {};
    case EBADF:
        return "the port is closed";
    case EBUSY:
        return "the previous frame is still on the line";
    case EMSGSIZE:
        return "a frame holds at most " + std::to_string(SerialChannel::TX_BUFFER_SIZE) + " bytes";
    default:
        return transmitFailureReason(static_cast<int>(error));
    }
}

// The run is over: the runner keeps its results, and the receiver reports discarded bytes
// again only when the user asked for them.
void ConsolePlan::finish(ConsolePlanEnd end) {
    m_end = end;
    m_lineBusyUntil.reset();
    if (!m_runner->finished())
        m_runner->stop();
    if (m_c.state.slot == m_slot)
        m_c.channel.SetReportDiscards(m_slot, m_c.state.showDiscarded);
}

ConsolePlan::Seen ConsolePlan::seen() const {
    return {results().size(), nextDeadline(), m_end};
}

void ConsolePlan::tellIfChanged(const Seen& before) {
    if (m_listener && seen() != before)
        m_listener();
}

} // namespace tovan
