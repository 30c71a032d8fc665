#include "core/console/TestSequence.h"

#include "core/hub/ConsoleMessage.h"
#include "core/wmbus/TestTelegrams.h"

#include <ctime>
#include <random>
#include <string>

namespace tovan {

namespace {

TestSequence::Draw clockSeededDraw() {
    auto engine = std::make_shared<std::minstd_rand>(static_cast<unsigned>(std::time(nullptr)));
    return [engine] { return std::uniform_int_distribution<int>(0, 32767)(*engine); };
}

} // namespace

TestSequence::TestSequence(OwnerEndpoint& owner, std::chrono::milliseconds period, Draw draw)
    : m_handOver(owner), m_period(period), m_draw(draw ? std::move(draw) : clockSeededDraw()),
      m_worker([this] { run(); }) {}

TestSequence::~TestSequence() {
    stop();
}

void TestSequence::stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_handOver.cancel();
    if (m_worker.joinable())
        m_worker.join();
}

bool TestSequence::waitPeriod() {
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_wake.wait_for(lock, m_period, [this] { return m_stopping; });
}

void TestSequence::run() {
    do {
        const int sample = chooseTestTelegram(m_draw());
        if (sample < 0)
            continue;
        // The console receives the text with its terminating zero, as a C string.
        std::string payload(testTelegram(sample));
        payload.push_back('\0');
        MessageBatch batch;
        batch.add(CD_TEST_TELEGRAM, reinterpret_cast<const std::uint8_t*>(payload.data()),
                  payload.size());
        if (!m_handOver.send(std::move(batch)))
            return;
    } while (waitPeriod());
}

} // namespace tovan
