// A test plan on a console's own port: its frames go out and come back through the console,
// so the traffic shows them; results and latency come from the frames' arrival; a port that
// closes under the plan ends it.
#include "core/console/ConsolePlan.h"
#include "core/frames/CHexCodec.h"
#include "core/frames/FrameBuilder.h"
#include "core/testplan/PlanParser.h"
#include "tests/core/console/ConsoleOnPty.h"

#include <gtest/gtest.h>
#include <thread>

using namespace tovan;
using namespace tovan::test;

namespace {

std::string hex(const Bytes& bytes) {
    std::string text;
    CHexCodec().BytesToHex(bytes.data(), bytes.size(), text);
    return text;
}

TestPlan parsed(const std::string& text) {
    ParsedPlan plan = PlanParser(PlanContext{ModuleFamily::VX31}).parse(text);
    EXPECT_TRUE(plan.ok()) << text;
    return std::move(plan.plan);
}

} // namespace

TEST(ConsolePlan, RunsOnTheConsolesPortAndJudgesWhatComesBack) {
    ConsoleOnPty c(ModuleFamily::VX31);
    ConsolePlan& plan = c.harness.console().plan();
    EXPECT_EQ(plan.start(parsed("send FE 00 01 00 FF\n"), "closed"),
              "The communication port is closed. Please open it before running a test plan.");
    ASSERT_TRUE(c.open());
    c.harness.takeLines();

    const Bytes request = frame::buildVx31Frame(0x01, 0x00, {0xAA});
    const Bytes unanswered = frame::buildVx31Frame(0x01, 0x01);
    const Bytes answer = frame::buildVx31Frame(0x81, 0x00, {0x01});
    // The module answers the first request after about 20 ms and ignores the second.
    std::thread module([&] {
        if (c.pty.read(request.size(), 2000) == request) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            c.pty.write(answer);
        }
        c.pty.read(unanswered.size(), 2000);
    });
    const std::string text = "send " + hex(request) +
                             "\nexpect FE LEN 81 00 ?? CS within 1000\n"
                             "send " +
                             hex(unanswered) + "\nexpect * within 150\n";
    ASSERT_EQ(plan.start(parsed(text), "bring-up"), "");
    EXPECT_TRUE(plan.running());
    EXPECT_TRUE(c.harness.runUntil([&] {
        plan.onTime(ConsolePlan::Time::clock::now());
        return !plan.running();
    }));
    module.join();

    EXPECT_EQ(plan.end(), ConsolePlanEnd::Completed);
    ASSERT_EQ(plan.results().size(), 2u);
    const StepResult& answered = plan.results()[0];
    EXPECT_TRUE(answered.passed);
    EXPECT_EQ(answered.sent, request);
    EXPECT_EQ(answered.received, answer);
    ASSERT_TRUE(answered.latencyMs.has_value());
    EXPECT_GE(*answered.latencyMs, 15.0);
    EXPECT_FALSE(plan.results()[1].passed);
    EXPECT_EQ(plan.results()[1].failure, Failure::NoFrame);
    // The plan's frames are the console's traffic like any other: sent, received, sent.
    std::vector<Colour> colours;
    for (const auto& line : c.harness.takeLines())
        colours.push_back(line.colour);
    EXPECT_EQ(colours, (std::vector<Colour>{TX, RX, TX}));

    // Closing the port ends a plan that waits on it.
    ASSERT_EQ(plan.start(parsed("send " + hex(request) + "\nwait 5000\n"), "long"), "");
    c.harness.runUntil([&] { return !plan.results().empty(); }, std::chrono::seconds(2));
    c.harness.console().closePort();
    EXPECT_FALSE(plan.running());
    EXPECT_EQ(plan.endText(), "stopped: the port was closed");
}
