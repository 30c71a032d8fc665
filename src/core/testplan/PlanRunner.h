#pragma once

#include "core/testplan/PlanCursor.h"
#include "core/testplan/StepResult.h"
#include "core/testplan/TestPlan.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tovan {

// What a running plan asks of whoever drives it. The hooks are called from inside the
// runner's own calls and must not call back into it.
struct RunnerHooks {
    // Puts a frame on the line; returns an empty text when it went out, otherwise why not.
    std::function<std::string(const std::vector<std::uint8_t>& frame)> send;
    // Each result as soon as it is decided (optional).
    std::function<void(const StepResult& result)> result;
    // Each note as the run reaches it (optional).
    std::function<void(const std::string& note)> note;
};

enum class RunEnd : std::uint8_t { Running, Completed, StoppedOnFailure, Stopped };

// Runs a test plan as a state machine on the caller's thread: no threads, no sleeps. The
// caller tells it of every received frame with the time it arrived (onFrame) and of the
// passing of time (onTime), and wakes it at nextDeadline(); the runner sends through its
// hooks. A console drives it with a timer, tovan-tool with its event loop, tests with a
// clock of their own.
//
// Received frames wait in arrival order until an expect takes them; a send drops those that
// arrived before it. An expect's window opens when the step before it ends (a send, the frame
// before, the end of a wait) and is judged by arrival times, so how late a frame is handed
// over changes nothing as long as it comes within the delivery allowance.
class PlanRunner {
public:
    using Clock = std::chrono::steady_clock;
    using Time = Clock::time_point;
    using Bytes = std::vector<std::uint8_t>;

    // How long after a window's end the runner still waits for frames that arrived within it
    // and are on their way from the port's reader.
    static constexpr std::chrono::milliseconds DEFAULT_ALLOWANCE{50};
    // Steps that take no time run at most this many to a call, so a long plan never holds its
    // driver's thread; the runner then asks to be woken again at once.
    static constexpr int STEPS_PER_CALL = 256;
    // Frames kept for expects still to come; more are dropped (a send clears them anyway).
    static constexpr std::size_t MAX_QUEUED = 4096;

    // Runs the plan's steps `rounds` times (the plan is copied).
    PlanRunner(TestPlan plan, RunnerHooks hooks, unsigned rounds = 1);
    PlanRunner(const PlanRunner&) = delete;
    PlanRunner& operator=(const PlanRunner&) = delete;

    void setDeliveryAllowance(std::chrono::milliseconds allowance) { m_allowance = allowance; }

    void start(Time now);
    // A frame received, with the time its bytes arrived. Whatever follows an expect it
    // decided runs at the next onTime(): nextDeadline() is then already due.
    void onFrame(const Bytes& frame, Time arrival);
    void onTime(Time now);
    // Bytes the receiver threw away (`reason` in words: "wrong checksum"), told so that an
    // expect that gets nothing says what did arrive instead.
    void onDiscarded(const std::string& reason, const Bytes& bytes, Time arrival);
    // Ends the run at once (the user's Stop); the step in progress gives no result.
    void stop();

    // When the runner wants onTime() next (possibly already past); none once finished.
    std::optional<Time> nextDeadline() const;
    bool finished() const { return m_phase == Phase::Finished; }
    RunEnd end() const { return m_end; }
    const std::vector<StepResult>& results() const { return m_results; }
    Time startedAt() const { return m_started; }

private:
    enum class Phase : std::uint8_t { Idle, Ready, Waiting, Expecting, Finished };
    struct Received {
        Bytes frame;
        Time arrival;
    };
    struct PendingSend {
        const PlanStep* step;
        Bytes frame;
        Time at;
        std::string iteration;
    };

    void advance(Time now);
    void run(const PlanStep& step, const std::string& iteration, Time now);
    void send(const PlanStep& step, const std::string& iteration, Time now);
    void startExpect(const PlanStep& step, const std::string& iteration, Time now);
    void checkExpect(Time now);
    void judge(const Received& received);
    void judgeSilence(Time now);
    StepResult begin();
    void flushPendingSend();
    void finishResult(StepResult result, Time decided);
    double msSinceStart(Time t) const;

    TestPlan m_plan;
    RunnerHooks m_hooks;
    PlanCursor m_cursor;
    std::chrono::milliseconds m_allowance = DEFAULT_ALLOWANCE;

    Phase m_phase = Phase::Idle;
    RunEnd m_end = RunEnd::Running;
    Time m_started{};
    Time m_at{};                      // where the plan's own time stands: when the next step starts
    Time m_until{};                   // end of the wait or of the expect's window
    const PlanStep* m_step = nullptr; // the expect in progress
    std::string m_stepIteration;
    std::string m_discarded; // what the receiver threw away within the expect's window
    std::deque<Received> m_queue;
    std::optional<PendingSend> m_pending;
    std::optional<Time> m_lastSend;
    std::string m_note;
    bool m_stopOnFailure = false;
    std::vector<StepResult> m_results;
};

} // namespace tovan
