#pragma once

#include "core/testplan/PlanRunner.h"
#include "core/testplan/StepResult.h"
#include "core/testplan/TestPlan.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tovan {

class ConsolePort;
class SerialChannel;
struct ConsoleState;

// How a plan run on a console ended (Running while it runs).
enum class ConsolePlanEnd : std::uint8_t {
    None, // no plan has run on the console yet
    Running,
    Completed,
    StoppedOnFailure, // the plan said stop-on-failure on, and a result failed
    Stopped,          // the user's Stop, or the console closed
    PortClosed,       // the port was closed or went away under the plan
};

// A test plan running on a console's port. The console hands it every frame it receives and
// every run of bytes its receiver throws away, with the time their bytes arrived; it sends what
// the plan asks through the console's own send path, so the traffic window and the log show
// every frame as usual. It has no timer of its own: whoever shows the console wakes it at
// nextDeadline() (the window with a QTimer, the tests with a loop). Runs on the console's
// thread.
class ConsolePlan {
public:
    using Time = PlanRunner::Time;

    struct Context {
        const ConsoleState& state;
        ConsolePort& port;
        SerialChannel& channel;
    };

    explicit ConsolePlan(Context context);
    ~ConsolePlan();
    ConsolePlan(const ConsolePlan&) = delete;
    ConsolePlan& operator=(const ConsolePlan&) = delete;

    // Runs `plan` `rounds` times on the console's open port; `name` says what it is (its file,
    // the folder it was made from). An empty text when it started, otherwise why not.
    std::string start(TestPlan plan, std::string name, unsigned rounds = 1);
    // Ends the run at once; the step in progress gives no result.
    void stop();
    // The console's port was closed or went away: a plan running on it ends.
    void checkPort();
    bool running() const { return m_end == ConsolePlanEnd::Running; }

    // What the console received while the plan runs (a default time: now). Discarded bytes
    // come as the console gets them: a reason byte, then the bytes.
    void onFrame(const std::uint8_t* bytes, std::size_t length, Time arrival);
    void onDiscarded(const std::uint8_t* payload, std::size_t length, Time arrival);
    // Time has passed: the plan goes on, as far as the line lets it.
    void onTime(Time now);
    // When onTime() is wanted next (possibly already past); none while no plan runs.
    std::optional<Time> nextDeadline() const;
    // Whether the receiver must report what it throws away: while a plan runs it always must.
    bool wantsDiscards() const { return running(); }

    // Called after anything a view of the run shows may have changed, and whenever
    // nextDeadline() may have moved. Must not call back into the plan.
    void setListener(std::function<void()> listener) { m_listener = std::move(listener); }

    // The run shown: from its start until the next one starts, also after it ended.
    const std::vector<StepResult>& results() const;
    const std::string& name() const { return m_name; }
    ConsolePlanEnd end() const { return m_end; }
    // How the run ended, in words for a summary: "completed", "stopped", ...
    std::string endText() const;
    // Changes with every start, so that a view knows its rows belong to an earlier run.
    std::uint64_t runNumber() const { return m_runNumber; }
    Time startedAt() const { return m_started; }

private:
    // What a view sees of the run; a notice goes out when one of them changed.
    struct Seen {
        std::size_t results = 0;
        std::optional<Time> deadline;
        ConsolePlanEnd end = ConsolePlanEnd::None;
        bool operator!=(const Seen& other) const {
            return results != other.results || deadline != other.deadline || end != other.end;
        }
    };

    void advance(Time now);
    std::string send(const std::vector<std::uint8_t>& frame);
    void finish(ConsolePlanEnd end);
    Seen seen() const;
    void tellIfChanged(const Seen& before);

    Context m_c;
    std::unique_ptr<PlanRunner> m_runner;
    std::uint8_t m_slot = 0; // the port the plan runs on
    std::string m_name;
    ConsolePlanEnd m_end = ConsolePlanEnd::None;
    std::uint64_t m_runNumber = 0;
    Time m_started{};
    bool m_begun = false; // the runner has started (it starts once the line takes a frame)
    // The line still held a frame waiting behind the one on it: the next try is not before.
    std::optional<Time> m_lineBusyUntil;
    std::function<void()> m_listener;
};

} // namespace tovan
