// Receive throughput of the serial channel through a pseudo-terminal, and the CPU an idle open
// port costs. Prints figures; asserts nothing about time.
//
//   serial_throughput [frames] [idle-seconds]
#include "bench/BenchPty.h"
#include "core/hub/ConsoleMessage.h"
#include "core/hub/EventLoop.h"
#include "core/hub/OwnerEndpoint.h"
#include "core/serial/SerialChannel.h"
#include "tools/modsim/FloodFrames.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tovan;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double LINE_BAUD = 3000000.0;
constexpr double BITS_PER_BYTE = 10.0; // 8N1

// A console stand-in on its own thread that counts frames and checks that the sequence number
// carried in every frame comes in order.
class CountingOwner : public OwnerEndpoint {
public:
    CountingOwner() : m_thread([this] { m_loop.run(); }) {}
    ~CountingOwner() override {
        m_loop.quit();
        m_thread.join();
    }
    void deliver(std::uint32_t code, const std::uint8_t* bytes, std::size_t) override {
        if (code != CD_RX_FRAME)
            return;
        if (modsim::floodSequence(bytes) != static_cast<std::uint16_t>(m_delivered.load()))
            ++m_outOfOrder;
        ++m_delivered;
    }
    void post(std::function<void()> task) override { m_loop.post(std::move(task)); }

    long delivered() const { return m_delivered; }
    long outOfOrder() const { return m_outOfOrder; }

private:
    EventLoop m_loop;
    std::atomic<long> m_delivered{0};
    std::atomic<long> m_outOfOrder{0};
    std::thread m_thread;
};

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void measureThroughput(ModuleFamily family, long frames) {
    bench::BenchPty pty;
    CountingOwner owner;
    SerialChannel channel(family);
    DcbTemplate settings;
    settings.BaudRate = 3000000;
    std::uint8_t slot = 0;
    if (const std::uint32_t error = channel.OpenPort(pty.path, settings, owner, slot)) {
        std::printf("open failed: %u\n", error);
        return;
    }
    const std::vector<std::uint8_t> stream = modsim::floodFrames(family, frames);
    const auto start = Clock::now();
    std::thread writer([&] {
        std::size_t done = 0;
        while (done < stream.size()) {
            const ssize_t n = ::write(pty.master, stream.data() + done,
                                      std::min<std::size_t>(65536, stream.size() - done));
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
    });
    long last = -1;
    auto lastProgress = Clock::now();
    while (owner.delivered() < frames && Clock::now() - lastProgress < std::chrono::seconds(5)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (owner.delivered() != last) {
            last = owner.delivered();
            lastProgress = Clock::now();
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    writer.join();
    channel.ClosePort(slot);

    const double rate = owner.delivered() / seconds;
    const double lineRate = LINE_BAUD / (BITS_PER_BYTE * 5);
    std::printf("%s: frames sent %ld, delivered %ld, out of order %ld, %.0f frames/s, "
                "%.2fx the frame rate of a full 3,000,000-baud 8N1 line (%.0f frames/s)\n",
                std::string(modelName(family)).c_str(), frames, owner.delivered(),
                owner.outOfOrder(), rate, rate / lineRate, lineRate);
}

void measureIdle(int seconds) {
    std::vector<std::unique_ptr<bench::BenchPty>> ptys;
    CountingOwner owner;
    SerialChannel vx31(ModuleFamily::VX31);
    SerialChannel vm77(ModuleFamily::VM77);
    DcbTemplate settings;
    settings.BaudRate = 115200;
    int open = 0;
    for (SerialChannel* channel : {&vx31, &vm77}) {
        for (int i = 0; i < 3; ++i) {
            ptys.push_back(std::make_unique<bench::BenchPty>());
            std::uint8_t slot = 0;
            if (channel->OpenPort(ptys.back()->path, settings, owner, slot) == 0)
                ++open;
        }
    }
    const double before = cpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double used = cpuSeconds() - before;
    std::printf("idle: %d open ports for %d s used %.4f s CPU: %.5f %% of one core per port\n",
                open, seconds, used, 100.0 * used / seconds / open);
}

} // namespace

int main(int argc, char** argv) {
    const long frames = argc > 1 ? std::atol(argv[1]) : 1000000;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 10;
    measureThroughput(ModuleFamily::VX31, frames);
    measureThroughput(ModuleFamily::VM77, frames);
    measureIdle(idleSeconds);
    return 0;
}
