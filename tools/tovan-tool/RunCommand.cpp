#include "core/hub/EventLoop.h"
#include "core/testplan/PlanParser.h"
#include "core/testplan/PlanRunner.h"
#include "core/tree/CommandListIO.h"
#include "core/tree/CommandStore.h"
#include "core/tree/MemoryCommandTree.h"
#include "tools/tovan-tool/Commands.h"
#include "tools/tovan-tool/InputFile.h"
#include "tools/tovan-tool/PlanPort.h"
#include "tools/tovan-tool/RunOptions.h"
#include "tools/tovan-tool/RunReport.h"

#include <csignal>
#include <iostream>
#include <sys/stat.h>

namespace tovan::tool {
namespace {

using Clock = std::chrono::steady_clock;

// Reads the command list for send-command. The loader creates a list that does not exist, so
// a missing one is refused first. False after printing why.
bool loadCommands(const std::string& path, MemoryCommandTree& tree, CommandStore& store) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode) || !loadList(tree, store, path)) {
        std::cerr << "tovan-tool run: cannot read the command list " << path << '\n';
        return false;
    }
    return true;
}

// Reads and checks the plan. False after printing every error with its line and column.
bool readPlan(const RunOptions& options, const PlanContext& context, TestPlan& plan) {
    std::string text;
    if (!readWhole(options.planPath, text))
        return false;
    ParsedPlan parsed = PlanParser(context).parse(text);
    const std::string source = options.planPath == "-" ? "standard input" : options.planPath;
    for (const PlanError& error : parsed.errors)
        std::cerr << planErrorText(source, error) << '\n';
    if (!parsed.ok()) {
        std::cerr << "tovan-tool run: the plan was not run\n";
        return false;
    }
    plan = std::move(parsed.plan);
    return true;
}

// Ctrl+C and SIGTERM end a run with its report: they are blocked here, before the port's
// threads exist, and looked for between the loop's short slices.
class Interrupts {
public:
    Interrupts() {
        sigemptyset(&m_signals);
        sigaddset(&m_signals, SIGINT);
        sigaddset(&m_signals, SIGTERM);
        ::pthread_sigmask(SIG_BLOCK, &m_signals, nullptr);
    }
    bool fired() {
        const timespec now{0, 0};
        m_fired = m_fired || ::sigtimedwait(&m_signals, nullptr, &now) > 0;
        return m_fired;
    }

private:
    sigset_t m_signals;
    bool m_fired = false;
};

// Drives the runner: frames as they are delivered, wake-ups at its deadlines. Returns how
// the run ended as the report words it.
RunEnding drive(PlanRunner& runner, EventLoop& loop, PlanPort& port, Interrupts& interrupts) {
    constexpr auto SLICE = std::chrono::milliseconds(100);
    runner.start(Clock::now());
    while (!runner.finished()) {
        if (interrupts.fired() || port.lost()) {
            runner.stop();
            return port.lost() ? RunEnding::PortLost : RunEnding::Interrupted;
        }
        const Clock::time_point now = Clock::now();
        const Clock::time_point deadline = runner.nextDeadline().value_or(now);
        if (deadline <= now) {
            runner.onTime(now);
            continue;
        }
        loop.runFor(std::min(SLICE, std::chrono::ceil<std::chrono::milliseconds>(deadline - now)));
        runner.onTime(Clock::now());
    }
    return runner.end() == RunEnd::StoppedOnFailure ? RunEnding::StoppedOnFailure
                                                    : RunEnding::Completed;
}

} // namespace

int runPlan(const RunOptions& options) {
    RunReport report(options);
    if (!report.outputsWritable())
        return EXIT_USAGE;
    MemoryCommandTree tree(std::string(modelName(options.family)));
    CommandStore store;
    if (!options.commandsPath.empty() && !loadCommands(options.commandsPath, tree, store))
        return EXIT_USAGE;
    TestPlan plan;
    const PlanContext context{options.family, options.commandsPath.empty() ? nullptr : &tree,
                              options.commandsPath.empty() ? nullptr : &store};
    if (!readPlan(options, context, plan))
        return EXIT_USAGE;

    Interrupts interrupts;
    EventLoop loop;
    PlanRunner* running = nullptr;
    const auto onFrame = [&](const std::vector<std::uint8_t>& frame, PlanPort::Time arrival) {
        // Whatever the frame decides runs at once: the next frame goes out from here.
        running->onFrame(frame, arrival);
        running->onTime(Clock::now());
        loop.quit();
    };
    const auto onDiscard = [&](const std::string& reason, const std::vector<std::uint8_t>& bytes,
                               PlanPort::Time arrival) {
        running->onDiscarded(reason, bytes, arrival);
    };
    PlanPort port(loop, options.family, onFrame, onDiscard);
    RunnerHooks hooks;
    hooks.send = [&](const std::vector<std::uint8_t>& frame) { return port.send(frame); };
    hooks.result = [&](const StepResult& result) { report.printResult(result); };
    hooks.note = [&](const std::string& note) { report.printNote(note); };
    PlanRunner runner(std::move(plan), hooks, options.repeat);
    running = &runner;
    if (!port.open(options.port))
        return EXIT_FAILED;
    const RunEnding ending = drive(runner, loop, port, interrupts);
    port.close();
    const bool written = report.finish(runner, ending);
    const bool allPassed = ending == RunEnding::Completed && report.allPassed(runner);
    return written && allPassed ? 0 : EXIT_FAILED;
}

} // namespace tovan::tool
