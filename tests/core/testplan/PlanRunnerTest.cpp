// The runner driven by a test clock exactly as a console's timer or tovan-tool's loop drives
// it: frames with their arrival times, wake-ups at the deadlines it asks for.
#include "core/testplan/PlanRunner.h"

#include "core/testplan/PlanParser.h"

#include <gtest/gtest.h>

using namespace tovan;
using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;

namespace {

class Driver {
public:
    // The `refuse`-th send (1-based) fails.
    explicit Driver(const std::string& text, ModuleFamily family = ModuleFamily::VX31,
                    unsigned rounds = 1, std::size_t refuse = 0)
        : m_refuse(refuse), m_runner(plan(text, family), hooks(), rounds) {
        m_runner.start(m_now);
    }

    PlanRunner::Time at(int ms) const { return m_origin + milliseconds(ms); }

    // Lets time pass up to `ms`, waking the runner at every deadline on the way.
    void runTo(int ms) {
        for (int guard = 0; guard < 100000; ++guard) {
            const auto deadline = m_runner.nextDeadline();
            if (!deadline || *deadline > at(ms))
                break;
            m_now = std::max(m_now, *deadline);
            m_runner.onTime(m_now);
        }
        m_now = std::max(m_now, at(ms));
        m_runner.onTime(m_now);
    }

    // A frame that arrived at `arrivedMs` and reaches the runner at `deliveredMs`.
    void frame(const Bytes& bytes, int arrivedMs, int deliveredMs) {
        runTo(deliveredMs);
        m_runner.onFrame(bytes, at(arrivedMs));
        m_runner.onTime(m_now);
    }

    void wake() { m_runner.onTime(m_now); }
    const PlanRunner& runner() const { return m_runner; }
    const StepResult& result(std::size_t i) const { return m_runner.results().at(i); }
    std::vector<int> sentAt; // ms of every send

private:
    static TestPlan plan(const std::string& text, ModuleFamily family) {
        ParsedPlan parsed = PlanParser({family}).parse(text);
        EXPECT_TRUE(parsed.ok()) << (parsed.ok() ? "" : parsed.errors[0].message);
        return parsed.plan;
    }
    RunnerHooks hooks() {
        RunnerHooks h;
        h.send = [this](const Bytes&) {
            sentAt.push_back(static_cast<int>(
                std::chrono::duration_cast<milliseconds>(m_now - m_origin).count()));
            return sentAt.size() == m_refuse ? std::string("the line is busy") : std::string();
        };
        return h;
    }

    std::size_t m_refuse;
    PlanRunner::Time m_origin = PlanRunner::Clock::now();
    PlanRunner::Time m_now = m_origin;
    PlanRunner m_runner;
};

const Bytes REPLY{0xFE, 0x00, 0x81, 0x02, 0x83};

} // namespace

// Each request with the reply that decides it: right (handed over after the window closed,
// but it arrived within it), wrong, late, missing; and a send with no expect after it.
TEST(PlanRunner, RightWrongLateAndMissingRepliesEachGiveTheirResult) {
    Driver run("send FE 00 01 02 03\nexpect FE 00 81 02 ?? within 100\n"
               "send FE 00 01 02 03\nexpect FE 00 81 02 ?? within 100\n"
               "send FE 00 01 02 03\nexpect FE 00 81 02 ?? within 100\n"
               "send FE 00 01 02 03\nexpect * within 100\n"
               "send FE 00 09 09 00\nwait 10\n");
    run.frame(REPLY, 95, 140);
    run.frame({0xFE, 0x00, 0x82, 0x02, 0x80}, 145, 145);
    run.frame(REPLY, 275, 280);
    run.runTo(1000);

    EXPECT_EQ(run.sentAt, (std::vector<int>{0, 140, 145, 280, 430}));
    ASSERT_EQ(run.runner().results().size(), 5u);
    EXPECT_TRUE(run.result(0).passed);
    EXPECT_DOUBLE_EQ(*run.result(0).latencyMs, 95);
    EXPECT_EQ(run.result(0).step, "send FE 00 01 02 03");
    EXPECT_EQ(run.result(0).expected, "FE 00 81 02 ??");
    EXPECT_EQ(run.result(1).failure, Failure::WrongFrame);
    EXPECT_EQ(run.result(1).reason, "byte 3 is 82, expected 81");
    EXPECT_EQ(run.result(2).failure, Failure::Late);
    EXPECT_EQ(run.result(2).reason, "arrived after 130.0 ms, later than 100 ms");
    EXPECT_DOUBLE_EQ(*run.result(2).latencyMs, 130);
    EXPECT_EQ(run.result(3).failure, Failure::NoFrame);
    EXPECT_EQ(run.result(3).reason, "nothing received within 100 ms");
    EXPECT_FALSE(run.result(3).latencyMs);
    EXPECT_DOUBLE_EQ(run.result(3).durationMs, 100);
    EXPECT_TRUE(run.result(4).passed);
    EXPECT_EQ(*run.result(4).sent, (Bytes{0xFE, 0x00, 0x09, 0x09, 0x00}));
    EXPECT_EQ(run.result(4).expected, "");
    EXPECT_EQ(run.runner().end(), RunEnd::Completed);
    EXPECT_FALSE(run.runner().nextDeadline());
}

// Frames wait for the next expect (also across a wait); a frame that arrived before the frame
// sent last is an answer to something else and is dropped; silence holds until every frame
// that arrived within its window has had time to be handed over.
TEST(PlanRunner, SilenceCountsFramesThatWaitedAndDropsAnswersToEarlierFrames) {
    Driver run("send FF 01 00 FE\nwait 50\nexpect none within 100\n"
               "send FF 02 00 FD\nexpect none within 100\n"
               "expect FF 82 00 7D within 100\n",
               ModuleFamily::VM77);
    run.frame({0xFF, 0x81, 0x00, 0x7E}, 30, 31); // waits through the wait
    run.runTo(50);
    run.frame({0xFF, 0x81, 0x00, 0x7E}, 45, 60); // before the second send: dropped
    run.runTo(190);
    EXPECT_EQ(run.runner().results().size(), 2u) << "silence still waits for late deliveries";
    run.frame({0xFF, 0x82, 0x00, 0x7D}, 170, 190);
    run.runTo(1000);

    EXPECT_EQ(run.sentAt, (std::vector<int>{0, 50}));
    ASSERT_EQ(run.runner().results().size(), 4u);
    EXPECT_TRUE(run.result(0).passed && !run.result(0).received);
    EXPECT_EQ(run.result(1).failure, Failure::NotSilent);
    EXPECT_EQ(run.result(1).reason, "expected silence, but a frame arrived after 30.0 ms");
    EXPECT_TRUE(run.result(2).passed);
    EXPECT_EQ(run.result(2).expected, "none");
    EXPECT_TRUE(run.result(3).passed) << run.result(3).reason;
    EXPECT_DOUBLE_EQ(*run.result(3).latencyMs, 120);
    EXPECT_FALSE(run.result(3).sent);
}

TEST(PlanRunner, RepeatsRoundsNestedAndStopsAtAFailureWhenAsked) {
    Driver rounds("repeat 2 {\n repeat 3 {\n  send-fields 00 01\n  expect * within 10\n }\n}\n",
                  ModuleFamily::VX31, 2);
    for (int i = 1; i <= 12; ++i)
        rounds.frame(REPLY, i, i);
    ASSERT_EQ(rounds.runner().results().size(), 12u);
    EXPECT_EQ(rounds.result(0).iteration, "1/2 1/2 1/3");
    EXPECT_EQ(rounds.result(11).iteration, "2/2 2/2 3/3");
    EXPECT_EQ(rounds.runner().end(), RunEnd::Completed);

    Driver stop("send FE 00 01 02 03\nexpect * within 10\nstop-on-failure on\n"
                "send FE 00 01 02 03\nexpect * within 10\nsend FE 00 01 02 03\n",
                ModuleFamily::VX31, 1, 2);
    stop.runTo(1000);
    ASSERT_EQ(stop.runner().results().size(), 2u);
    EXPECT_EQ(stop.result(0).failure, Failure::NoFrame) << "before stop-on-failure: run on";
    EXPECT_EQ(stop.result(1).failure, Failure::NotSent);
    EXPECT_EQ(stop.result(1).reason, "not sent: the line is busy");
    EXPECT_EQ(stop.runner().end(), RunEnd::StoppedOnFailure);
    EXPECT_EQ(stop.sentAt.size(), 2u);
    EXPECT_FALSE(stop.runner().nextDeadline());

    // A plan of sends alone never holds its driver: one frame a call.
    Driver burst("repeat 1000 {\n send FE 00 01 02 03\n}\n");
    EXPECT_EQ(burst.sentAt.size(), 1u);
    burst.wake();
    EXPECT_EQ(burst.sentAt.size(), 2u);
    burst.runTo(0);
    EXPECT_EQ(burst.sentAt.size(), 1000u);
    EXPECT_EQ(burst.runner().results().size(), 1000u);
}
