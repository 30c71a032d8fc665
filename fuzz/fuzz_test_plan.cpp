// Test plans from anyone, run against anything: plan text for either family (with a command
// list for send-command), then frames, discarded bytes and time steps in any order. Errors
// name a place inside the text; a plan either has errors or steps; a run never sends more
// than one frame a call, never steps back in time, numbers its results in order, and its
// JUnit report is well-formed UTF-8 text.
#include "core/testplan/JUnitReport.h"
#include "core/testplan/PlanParser.h"
#include "core/testplan/PlanRunner.h"
#include "core/tree/CommandStore.h"
#include "core/tree/MemoryCommandTree.h"
#include "fuzz/FuzzCheck.h"

#include <string>
#include <string_view>
#include <vector>

using namespace tovan;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct SampleList {
    SampleList() {
        const auto module = add(tree.root(), "Module", "");
        add(module, "Reset", "FE 00 01 00 01");
        add(tree.root(), "Raw", "@02 11 22");
    }
    CommandTree::Item add(CommandTree::Item parent, const std::string& label,
                          const std::string& text) {
        const std::uint32_t id = tree.takeNextId();
        const auto item = tree.insertSorted(
            parent, label, text.empty() ? ItemKind::Folder : ItemKind::Command, id);
        store.appendEntry(id, static_cast<std::uint32_t>(text.size()),
                          reinterpret_cast<const std::uint8_t*>(text.data()));
        return item;
    }
    MemoryCommandTree tree{"VX31"};
    CommandStore store;
};

void checkErrors(std::string_view text, const ParsedPlan& parsed) {
    FUZZ_CHECK(!parsed.ok() || !parsed.plan.steps.empty(), "a plan without errors has steps");
    FUZZ_CHECK(parsed.ok() || parsed.plan.steps.empty(), "a plan with errors has no steps");
    FUZZ_CHECK(parsed.errors.size() <= PlanParser::MAX_ERRORS, "errors are bounded");
    std::vector<int> widths{0};
    for (char c : text) {
        if (c == '\n')
            widths.push_back(0);
        else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++widths.back();
    }
    for (const PlanError& error : parsed.errors) {
        FUZZ_CHECK(error.line >= 1 && error.line <= static_cast<int>(widths.size()),
                   "an error names a line of the text");
        FUZZ_CHECK(error.column >= 1 && error.column <= widths[error.line - 1] + 1,
                   "an error names a column of its line");
        FUZZ_CHECK(!error.message.empty(), "an error says what is wrong");
    }
}

// Drives the runner from the script bytes: a time step, a frame or discarded bytes.
void run(TestPlan plan, const std::uint8_t* script, std::size_t size) {
    const auto origin = PlanRunner::Clock::now();
    auto now = origin;
    int sentThisCall = 0;
    RunnerHooks hooks;
    hooks.send = [&](const Bytes&) {
        ++sentThisCall;
        return std::string(size % 7 == 0 ? "refused" : "");
    };
    PlanRunner runner(std::move(plan), hooks);
    const auto call = [&](auto&& action) {
        sentThisCall = 0;
        action();
        FUZZ_CHECK(sentThisCall <= 1, "at most one frame a call");
    };
    call([&] { runner.start(now); });
    for (std::size_t i = 0; i + 2 < size && !runner.finished(); i += 3) {
        const std::uint8_t op = script[i], a = script[i + 1], b = script[i + 2];
        const auto arrival = std::max(origin, now - std::chrono::milliseconds(b % 80));
        if (op % 3 == 0) {
            now += std::chrono::milliseconds(a * 4);
            call([&] { runner.onTime(now); });
        } else if (op % 3 == 1) {
            const Bytes frame(script + i, script + i + 1 + a % 3);
            call([&] { runner.onFrame(frame, arrival); });
            call([&] { runner.onTime(now); });
        } else {
            call([&] { runner.onDiscarded("wrong checksum", {a, b}, arrival); });
        }
    }
    runner.stop();
    FUZZ_CHECK(!runner.nextDeadline(), "a finished run wants no wake-up");
    double lastStart = 0;
    const auto& results = runner.results();
    for (std::size_t i = 0; i < results.size(); ++i) {
        const StepResult& r = results[i];
        FUZZ_CHECK(r.number == i + 1, "results are numbered in order");
        FUZZ_CHECK(r.passed == (r.failure == Failure::None), "a result passes or says why not");
        FUZZ_CHECK(r.startMs >= lastStart && r.durationMs >= 0, "time never steps back");
        FUZZ_CHECK(!r.latencyMs || *r.latencyMs >= 0, "latencies are never negative");
        lastStart = r.startMs;
    }
    const std::string xml = junitXml({"plan", "", 1, {}}, results);
    for (unsigned char c : xml)
        FUZZ_CHECK(c >= 0x20 || c == '\n' || c == '\t', "no control characters in the report");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const SampleList list;
    if (size == 0)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t split = input.find('\0');
    const std::string_view text = input.substr(0, split);
    const ModuleFamily family = data[0] & 1 ? ModuleFamily::VM77 : ModuleFamily::VX31;
    const ParsedPlan parsed = PlanParser({family, &list.tree, &list.store}).parse(text);
    checkErrors(text, parsed);
    if (parsed.ok() && split != std::string_view::npos)
        run(parsed.plan, data + 2 + split, size - 2 - split);
    return 0;
}
