#include "core/hub/SyncHandOver.h"

#include "tests/support/RecordingEndpoint.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace tovan;
using namespace std::chrono_literals;
using test::RecordingEndpoint;

namespace {

MessageBatch batchOf(std::initializer_list<std::uint8_t> values) {
    MessageBatch batch;
    for (std::uint8_t v : values)
        batch.add(5, &v, 1);
    return batch;
}

} // namespace

TEST(SyncHandOver, WorkerWaitsUntilTheOwnerHandledEveryMessageInOrder) {
    RecordingEndpoint owner;
    SyncHandOver handOver(owner);
    std::atomic<bool> returned{false};
    std::atomic<bool> result{false};
    std::thread worker([&] {
        result = handOver.send(batchOf({1, 2, 3}));
        returned = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(returned) << "nothing was handled yet";
    ASSERT_TRUE(owner.waitFor(5, 3));
    worker.join();
    EXPECT_TRUE(result);
    const auto got = owner.all();
    ASSERT_EQ(got.size(), 3u);
    for (std::uint8_t i = 0; i < 3; ++i)
        EXPECT_EQ(got[i].bytes, std::vector<std::uint8_t>{std::uint8_t(i + 1)});
}

TEST(SyncHandOver, CancelWakesTheWorkerAndTurnsQueuedDeliveriesIntoNothing) {
    RecordingEndpoint owner;
    SyncHandOver handOver(owner);
    std::atomic<bool> result{true};
    std::thread worker([&] { result = handOver.send(batchOf({7})); });
    std::this_thread::sleep_for(50ms);
    handOver.cancel(); // the owner never ran its loop
    worker.join();
    EXPECT_FALSE(result);
    EXPECT_FALSE(handOver.begin(batchOf({8})));
    owner.loop.runFor(50ms);
    EXPECT_TRUE(owner.all().empty());
}

TEST(SyncHandOver, CancelFromInsideADeliveryStopsTheRestOfTheBatch) {
    RecordingEndpoint owner;
    auto handOver = std::make_unique<SyncHandOver>(owner);
    owner.onDeliver = [&](std::uint32_t) { handOver->cancel(); };
    std::atomic<bool> result{true};
    std::thread worker([&] { result = handOver->send(batchOf({1, 2, 3})); });
    owner.loop.runFor(200ms);
    worker.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(owner.all().size(), 1u);
}
