#include "core/testplan/PlanRunner.h"

#include "core/frames/CHexCodec.h"

#include <algorithm>
#include <cstdio>

namespace tovan {
namespace {

double msBetween(PlanRunner::Time from, PlanRunner::Time to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

std::string msText(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms", ms);
    return text;
}

} // namespace

PlanRunner::PlanRunner(TestPlan plan, RunnerHooks hooks, unsigned rounds)
    : m_plan(std::move(plan)), m_hooks(std::move(hooks)), m_cursor(m_plan.steps, rounds) {}

void PlanRunner::start(Time now) {
    if (m_phase != Phase::Idle)
        return;
    m_started = m_at = now;
    m_phase = Phase::Ready;
    advance(now);
}

void PlanRunner::stop() {
    if (m_phase == Phase::Finished)
        return;
    m_phase = Phase::Finished;
    m_end = RunEnd::Stopped;
    m_pending.reset();
}

std::optional<PlanRunner::Time> PlanRunner::nextDeadline() const {
    switch (m_phase) {
    case Phase::Ready:
        return m_at;
    case Phase::Waiting:
        return m_until;
    case Phase::Expecting:
        return m_until + m_allowance;
    case Phase::Idle:
    case Phase::Finished:
        break;
    }
    return std::nullopt;
}

void PlanRunner::onFrame(const Bytes& frame, Time arrival) {
    if (m_phase == Phase::Idle || m_phase == Phase::Finished)
        return;
    // An answer to something before the frame sent last (or from before the run): no step
    // waits for it any more.
    if (arrival < m_lastSend.value_or(m_started))
        return;
    if (m_queue.size() >= MAX_QUEUED)
        return;
    m_queue.push_back({frame, arrival});
    if (m_phase == Phase::Expecting)
        checkExpect(arrival);
}

void PlanRunner::onDiscarded(const std::string& reason, const Bytes& bytes, Time arrival) {
    if (m_phase != Phase::Expecting || m_step->kind != StepKind::Expect || arrival > m_until)
        return;
    std::string hex;
    CHexCodec().BytesToHex(bytes.data(), bytes.size(), hex);
    m_discarded += (m_discarded.empty() ? "" : "; ") + reason + " " + hex;
}

void PlanRunner::onTime(Time now) {
    if (m_phase == Phase::Waiting && now >= m_until) {
        m_at = m_until;
        m_phase = Phase::Ready;
    }
    if (m_phase == Phase::Expecting)
        checkExpect(now);
    if (m_phase == Phase::Ready)
        advance(now);
}

// Runs steps until one has to wait for time or a frame, a frame has been sent (the next send
// comes at the next call, with its own time), or the call's share of steps is used up.
void PlanRunner::advance(Time now) {
    bool sent = false;
    for (int budget = STEPS_PER_CALL; m_phase == Phase::Ready; --budget) {
        const PlanStep* step = m_cursor.current();
        if (!step) {
            flushPendingSend();
            if (m_phase != Phase::Finished) {
                m_phase = Phase::Finished;
                m_end = RunEnd::Completed;
            }
            return;
        }
        if ((step->kind == StepKind::Send && sent) || budget == 0)
            return; // nextDeadline() is due: the driver calls again at once
        const std::string iteration = m_cursor.iteration();
        m_cursor.next();
        sent = sent || step->kind == StepKind::Send;
        run(*step, iteration, now);
    }
}

void PlanRunner::run(const PlanStep& step, const std::string& iteration, Time now) {
    if (step.kind != StepKind::Expect && step.kind != StepKind::ExpectNone)
        flushPendingSend();
    if (m_phase == Phase::Finished)
        return;
    switch (step.kind) {
    case StepKind::Send:
        send(step, iteration, now);
        break;
    case StepKind::Expect:
    case StepKind::ExpectNone:
        startExpect(step, iteration, now);
        break;
    case StepKind::Wait:
        m_until = m_at + step.time;
        m_phase = Phase::Waiting;
        if (now >= m_until) {
            m_at = m_until;
            m_phase = Phase::Ready;
        }
        break;
    case StepKind::Note:
        m_note = step.note;
        if (m_hooks.note)
            m_hooks.note(step.note);
        break;
    case StepKind::StopOnFailure:
        m_stopOnFailure = step.on;
        break;
    case StepKind::Repeat:
        break; // the cursor enters repeats itself
    }
}

void PlanRunner::send(const PlanStep& step, const std::string& iteration, Time now) {
    m_at = std::max(m_at, now);
    m_lastSend = m_at;
    m_queue.clear(); // everything in it arrived before this frame went out
    const std::string error =
        m_hooks.send ? m_hooks.send(step.frame) : std::string("there is no port to send on");
    if (error.empty()) {
        m_pending = PendingSend{&step, step.frame, m_at, iteration};
        return;
    }
    StepResult result;
    result.line = step.line;
    result.step = step.text;
    result.iteration = iteration;
    result.sent = step.frame;
    result.startMs = msSinceStart(m_at);
    result.failure = Failure::NotSent;
    result.reason = "not sent: " + error;
    finishResult(std::move(result), m_at);
}

void PlanRunner::startExpect(const PlanStep& step, const std::string& iteration, Time now) {
    m_step = &step;
    m_stepIteration = iteration;
    m_discarded.clear();
    m_until = m_at + step.time;
    m_phase = Phase::Expecting;
    checkExpect(now);
}

void PlanRunner::checkExpect(Time now) {
    if (m_step->kind == StepKind::ExpectNone) {
        judgeSilence(now);
        return;
    }
    if (!m_queue.empty()) {
        const Received received = std::move(m_queue.front());
        m_queue.pop_front();
        judge(received);
    } else if (now >= m_until + m_allowance) {
        StepResult result = begin();
        result.failure = Failure::NoFrame;
        result.reason = "nothing received within " + std::to_string(m_step->time.count()) + " ms";
        if (!m_discarded.empty())
            result.reason += "; the receiver discarded " + m_discarded;
        finishResult(std::move(result), m_until);
    }
}

void PlanRunner::judge(const Received& received) {
    const Time opened = m_until - m_step->time;
    StepResult result = begin();
    result.received = received.frame;
    result.latencyMs = msBetween(m_lastSend.value_or(m_started), received.arrival);
    std::string why;
    if (received.arrival > m_until) {
        result.failure = Failure::Late;
        result.reason = "arrived after " + msText(msBetween(opened, received.arrival)) +
                        ", later than " + std::to_string(m_step->time.count()) + " ms";
    } else if (!m_step->pattern.matches(received.frame, m_plan.family, &why)) {
        result.failure = Failure::WrongFrame;
        result.reason = why;
    } else {
        result.passed = true;
    }
    finishResult(std::move(result), std::max(m_at, received.arrival));
}

// Silence holds until the window has ended and every frame that arrived within it has had
// time to be handed over; the first such frame breaks it.
void PlanRunner::judgeSilence(Time now) {
    if (!m_queue.empty() && m_queue.front().arrival <= m_until) {
        const Received received = std::move(m_queue.front());
        m_queue.pop_front();
        StepResult result = begin();
        result.received = received.frame;
        result.latencyMs = msBetween(m_lastSend.value_or(m_started), received.arrival);
        result.failure = Failure::NotSilent;
        result.reason = "expected silence, but a frame arrived after " + msText(*result.latencyMs);
        finishResult(std::move(result), std::max(m_at, received.arrival));
    } else if (now >= m_until + m_allowance) {
        StepResult result = begin();
        result.passed = true;
        finishResult(std::move(result), m_until);
    }
}

// A result for the expect in progress, taking over the frame sent just before it.
StepResult PlanRunner::begin() {
    StepResult result;
    if (m_pending) {
        result.line = m_pending->step->line;
        result.step = m_pending->step->text;
        result.iteration = m_pending->iteration;
        result.sent = std::move(m_pending->frame);
        result.startMs = msSinceStart(m_pending->at);
        m_pending.reset();
    } else {
        result.line = m_step->line;
        result.step = m_step->text;
        result.iteration = m_stepIteration;
        result.startMs = msSinceStart(m_until - m_step->time);
    }
    result.expected = m_step->kind == StepKind::ExpectNone ? "none" : m_step->pattern.text();
    result.within = m_step->time;
    return result;
}

// A frame sent with no expect right after it is a result of its own: it went out.
void PlanRunner::flushPendingSend() {
    if (!m_pending)
        return;
    StepResult result;
    result.line = m_pending->step->line;
    result.step = m_pending->step->text;
    result.iteration = m_pending->iteration;
    result.sent = std::move(m_pending->frame);
    result.startMs = msSinceStart(m_pending->at);
    result.passed = true;
    const Time at = m_pending->at;
    m_pending.reset();
    finishResult(std::move(result), at);
}

void PlanRunner::finishResult(StepResult result, Time decided) {
    result.number = m_results.size() + 1;
    result.note = std::move(m_note);
    m_note.clear();
    result.durationMs = std::max(0.0, msBetween(m_started, decided) - result.startMs);
    m_at = decided;
    const bool failed = !result.passed;
    m_results.push_back(std::move(result));
    if (m_hooks.result)
        m_hooks.result(m_results.back());
    if (failed && m_stopOnFailure) {
        m_phase = Phase::Finished;
        m_end = RunEnd::StoppedOnFailure;
        m_pending.reset();
    } else if (m_phase == Phase::Expecting) {
        m_phase = Phase::Ready;
    }
}

double PlanRunner::msSinceStart(Time t) const {
    return msBetween(m_started, t);
}

} // namespace tovan
