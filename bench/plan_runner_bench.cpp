// Request/response steps against a simulated module: first a bare loop (send, wait for the
// answer, send again), then the same steps as a test plan through the plan runner. Prints
// steps per second and what the runner adds to each step; asserts nothing about time.
//
//   bench_plan_runner [steps]
#include "core/hub/ConsoleMessage.h"
#include "core/hub/EventLoop.h"
#include "core/hub/OwnerEndpoint.h"
#include "core/serial/SerialChannel.h"
#include "core/testplan/PlanParser.h"
#include "core/testplan/PlanRunner.h"
#include "tools/modsim/SimulatedModule.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tovan;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes REQUEST{0xFE, 0x00, 0x01, 0x02, 0x03};

// The simulated module on a thread of its own, polled as tovan-modsim polls it.
class ModuleThread {
public:
    ModuleThread() : m_module(ModuleFamily::VX31, modsim::ModuleOptions{}) {
        std::string error;
        if (!m_module.open(error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::exit(1);
        }
        m_stop = ::eventfd(0, EFD_CLOEXEC);
        m_thread = std::thread([this] { run(); });
    }
    ~ModuleThread() {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(m_stop, &one, sizeof one);
        m_thread.join();
        ::close(m_stop);
    }
    const std::string& device() const { return m_module.devicePath(); }

private:
    void run() {
        for (;;) {
            const auto now = Clock::now();
            pollfd fds[2] = {{m_stop, POLLIN, 0}, m_module.pollRequest(now)};
            const auto wait =
                std::chrono::ceil<std::chrono::milliseconds>(m_module.nextDeadline(now) - now);
            ::poll(fds, 2, static_cast<int>(std::max<long long>(0, wait.count())));
            if (fds[0].revents)
                return;
            m_module.service(fds[1].revents, Clock::now());
        }
    }

    modsim::SimulatedModule m_module;
    int m_stop = -1;
    std::thread m_thread;
};

// Times of one step: the request handed to the port, the answer read by the port's reader,
// the answer delivered to the driver, the next request handed to the port.
struct StepTimes {
    Clock::time_point sent, arrived, delivered;
};

// A console stand-in on the benchmark's thread: frames go to `onFrame`.
class Owner : public OwnerEndpoint {
public:
    explicit Owner(EventLoop& loop) : m_loop(loop) {}
    void deliver(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) override {
        deliverArrived(code, bytes, length, Clock::now());
    }
    void deliverArrived(std::uint32_t code, const std::uint8_t* bytes, std::size_t length,
                        Clock::time_point arrival) override {
        if (code == CD_RX_FRAME)
            onFrame(Bytes(bytes, bytes + length), arrival);
    }
    void post(std::function<void()> task) override { m_loop.post(std::move(task)); }
    std::function<void(const Bytes&, Clock::time_point)> onFrame;

private:
    EventLoop& m_loop;
};

// Sends as tovan-tool run sends: hands the frame over and waits until it has left.
std::string sendFrame(SerialChannel& channel, std::uint8_t slot, const Bytes& frame) {
    if (channel.SendFrame(slot, frame.data(), frame.size()) != 0 ||
        channel.WaitUntilWritten(slot, 1000) != 0)
        return "send failed";
    return {};
}

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Figures {
    double seconds = 0;
    std::size_t steps = 0;
    std::vector<double> roundTrip;  // request sent -> answer read
    std::vector<double> turnaround; // answer delivered -> next request sent
    std::vector<double> cycle;      // request sent -> next request sent
};

Figures figuresOf(const std::vector<StepTimes>& times, Clock::time_point start,
                  Clock::time_point end) {
    Figures f;
    f.seconds = std::chrono::duration<double>(end - start).count();
    f.steps = times.size();
    for (std::size_t i = 0; i < times.size(); ++i) {
        f.roundTrip.push_back(ms(times[i].arrived - times[i].sent));
        if (i + 1 < times.size()) {
            f.turnaround.push_back(ms(times[i + 1].sent - times[i].delivered));
            f.cycle.push_back(ms(times[i + 1].sent - times[i].sent));
        }
    }
    return f;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(p / 100 * static_cast<double>(values.size()));
    return values[std::min(values.size() - 1, rank)];
}

void print(const char* name, const Figures& f) {
    std::printf("%-7s %zu steps in %.2f s: %.0f steps/s\n", name, f.steps, f.seconds,
                static_cast<double>(f.steps) / f.seconds);
    std::printf(
        "        round trip (sent -> answer read):           median %7.3f ms, p99 %7.3f ms\n",
        percentile(f.roundTrip, 50), percentile(f.roundTrip, 99));
    std::printf(
        "        answer delivered -> next request sent:      median %7.3f ms, p99 %7.3f ms\n",
        percentile(f.turnaround, 50), percentile(f.turnaround, 99));
    std::printf(
        "        step (request sent -> next request sent):   median %7.3f ms, p99 %7.3f ms\n",
        percentile(f.cycle, 50), percentile(f.cycle, 99));
}

// Send, wait for the answer, send again: the round trip with nothing in between.
Figures runBare(SerialChannel& channel, std::uint8_t slot, Owner& owner, EventLoop& loop,
                std::size_t steps) {
    std::vector<StepTimes> times;
    times.reserve(steps);
    const auto sendNext = [&] {
        times.push_back({Clock::now(), {}, {}});
        sendFrame(channel, slot, REQUEST);
    };
    owner.onFrame = [&](const Bytes&, Clock::time_point arrival) {
        times.back().arrived = arrival;
        times.back().delivered = Clock::now();
        if (times.size() < steps)
            sendNext();
        else
            loop.quit();
    };
    const auto start = Clock::now();
    sendNext();
    loop.runFor(std::chrono::minutes(5));
    return figuresOf(times, start, Clock::now());
}

// The same steps as a plan, driven as tovan-tool run drives it.
Figures runPlan(SerialChannel& channel, std::uint8_t slot, Owner& owner, EventLoop& loop,
                std::size_t steps) {
    const std::string text = "repeat " + std::to_string(steps) +
                             " {\n  send FE 00 01 02 03\n  expect FE 00 81 02 ?? within 500\n}\n";
    ParsedPlan parsed = PlanParser({ModuleFamily::VX31}).parse(text);
    std::vector<StepTimes> times;
    times.reserve(steps);
    RunnerHooks hooks;
    hooks.send = [&](const Bytes& frame) {
        times.push_back({Clock::now(), {}, {}});
        return sendFrame(channel, slot, frame);
    };
    PlanRunner runner(std::move(parsed.plan), hooks);
    owner.onFrame = [&](const Bytes& frame, Clock::time_point arrival) {
        times.back().arrived = arrival;
        times.back().delivered = Clock::now();
        runner.onFrame(frame, arrival);
        runner.onTime(Clock::now());
        loop.quit();
    };
    const auto start = Clock::now();
    runner.start(start);
    while (!runner.finished()) {
        const auto now = Clock::now();
        const auto deadline = runner.nextDeadline().value_or(now);
        if (deadline > now)
            loop.runFor(std::min<std::chrono::milliseconds>(
                std::chrono::milliseconds(100),
                std::chrono::ceil<std::chrono::milliseconds>(deadline - now)));
        runner.onTime(Clock::now());
    }
    const auto end = Clock::now();
    std::size_t failed = 0;
    for (const StepResult& result : runner.results())
        failed += result.passed ? 0 : 1;
    if (failed > 0)
        std::printf("runner: %zu of %zu steps failed\n", failed, runner.results().size());
    return figuresOf(times, start, end);
}

} // namespace

int main(int argc, char** argv) {
    const auto steps = static_cast<std::size_t>(argc > 1 ? std::atol(argv[1]) : 10000);
    ModuleThread module;
    EventLoop loop;
    Owner owner(loop);
    SerialChannel channel(ModuleFamily::VX31);
    DcbTemplate settings;
    settings.BaudRate = 115200;
    std::uint8_t slot = 0;
    if (const std::uint32_t error = channel.OpenPort(module.device(), settings, owner, slot)) {
        std::printf("open failed: %u\n", error);
        return 1;
    }
    runBare(channel, slot, owner, loop, 200); // warm-up
    const Figures bare = runBare(channel, slot, owner, loop, steps);
    const Figures plan = runPlan(channel, slot, owner, loop, steps);
    channel.ClosePort(slot);
    loop.processPending();

    print("bare", bare);
    print("runner", plan);
    const double addedMedian = percentile(plan.turnaround, 50) - percentile(bare.turnaround, 50);
    const double addedP99 = percentile(plan.turnaround, 99) - percentile(bare.turnaround, 99);
    std::printf("the runner adds per step: median %.3f ms, p99 %.3f ms (step time: median %+.3f "
                "ms, p99 %+.3f ms); target at most 1 ms median: %s\n",
                addedMedian, addedP99, percentile(plan.cycle, 50) - percentile(bare.cycle, 50),
                percentile(plan.cycle, 99) - percentile(bare.cycle, 99),
                addedMedian <= 1.0 ? "met" : "NOT met");
    return 0;
}
