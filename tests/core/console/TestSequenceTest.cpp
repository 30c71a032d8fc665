#include "core/console/TestSequence.h"

#include "core/hub/ConsoleMessage.h"
#include "core/wmbus/TestTelegrams.h"
#include "tests/support/ConsoleHarness.h"
#include "tests/support/RecordingEndpoint.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;
using tovan::TestSequence;
using tovan::test::RecordingEndpoint;

TEST(TestTelegramChoice, LeavesGapsAtTenAndTwentyThousand) {
    int counts[3] = {0, 0, 0};
    for (int draw = 0; draw <= 32767; ++draw) {
        const int sample = tovan::chooseTestTelegram(draw);
        if (draw == 10000 || draw == 20000)
            EXPECT_EQ(sample, -1) << draw;
        else
            ++counts[sample];
    }
    EXPECT_EQ(tovan::chooseTestTelegram(9999), 0);
    EXPECT_EQ(tovan::chooseTestTelegram(10001), 1);
    EXPECT_EQ(tovan::chooseTestTelegram(19999), 1);
    EXPECT_EQ(tovan::chooseTestTelegram(20001), 2);
    EXPECT_EQ(counts[0], 10000);
    EXPECT_EQ(counts[1], 9999);
    EXPECT_EQ(counts[2], 12767);
}

TEST(TestSequenceWorker, SendsTheChosenSamplesWithTheirZeroAndSkipsTheGaps) {
    RecordingEndpoint owner;
    const int draws[] = {5000, 10000, 15000, 20000, 30000};
    std::atomic<int> next{0};
    TestSequence sequence(owner, 1ms, [&] { return next < 5 ? draws[next++] : 10000; });
    ASSERT_TRUE(owner.waitFor(tovan::CD_TEST_TELEGRAM, 3));
    owner.waitFor(tovan::CD_TEST_TELEGRAM, 4, 50ms); // nothing more comes
    sequence.stop();
    owner.loop.processPending();

    const auto messages = owner.messages(tovan::CD_TEST_TELEGRAM);
    ASSERT_EQ(messages.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const std::string_view sample = tovan::testTelegram(i);
        ASSERT_EQ(messages[i].bytes.size(), sample.size() + 1);
        EXPECT_EQ(messages[i].bytes.back(), 0);
        EXPECT_EQ(messages[i].text().substr(0, sample.size()), sample);
    }
}

TEST(TestSequenceWorker, StopsPromptlyWhileWaitingForTheConsoleOrSleeping) {
    // Waiting in the hand-over: the owner never runs its loop.
    {
        RecordingEndpoint owner;
        const auto start = std::chrono::steady_clock::now();
        TestSequence sequence(owner, 60s);
        std::this_thread::sleep_for(20ms);
        sequence.stop();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
        owner.loop.processPending(); // the delivery queued before the stop is dropped
        EXPECT_TRUE(owner.all().empty());
    }
    // Sleeping between telegrams.
    {
        RecordingEndpoint owner;
        const auto start = std::chrono::steady_clock::now();
        TestSequence sequence(owner, 60s);
        ASSERT_TRUE(owner.waitFor(tovan::CD_TEST_TELEGRAM, 1));
        sequence.stop();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
    }
}

TEST(TestSequenceWorker, BelongsToOneConsoleAndEndsWithIt) {
    tovan::test::ConsoleHarness harness(tovan::ModuleFamily::VM77);
    tovan::ModuleConsole& console = harness.console();
    const auto received = [&] { return console.traffic().receivedCount(); };
    console.startTestSequence(1ms);
    ASSERT_TRUE(harness.runUntil([&] { return received() >= 2; }));
    console.startTestSequence(1ms); // replaces, never doubles
    EXPECT_TRUE(console.state().testSequenceRunning);
    ASSERT_TRUE(harness.runUntil([&] { return received() >= 4; }));
    harness.destroyConsole(); // the console's end stops its sequence
    const std::size_t shown = harness.lines.size();
    std::this_thread::sleep_for(20ms);
    harness.loop.processPending();
    EXPECT_EQ(harness.lines.size(), shown);
}
