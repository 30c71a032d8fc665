// Ports across the network through a real ser2net on the loopback, against the same
// pseudo-terminal opened directly: frames per second of a flood, the latency a frame gains on
// its way (median and 99th percentile, from the module's write to the reader's read), and a
// flood of VX31 frames through ser2net with every frame checked. Prints figures; asserts
// nothing about time.
//
//   bench_remote_port [flood-frames] [latency-samples]
#include "bench/BenchPty.h"
#include "core/hub/ConsoleMessage.h"
#include "core/hub/EventLoop.h"
#include "core/hub/OwnerEndpoint.h"
#include "core/serial/SerialChannel.h"
#include "tools/modsim/FloodFrames.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

using namespace tovan;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t FLOOD_FRAME = 5;

// A console stand-in on its own thread: checks every frame against the flood it expects, and
// keeps the reader's arrival time of each frame.
class CheckingOwner : public OwnerEndpoint {
public:
    explicit CheckingOwner(const std::vector<std::uint8_t>& expected)
        : m_expected(expected), m_thread([this] { m_loop.run(); }) {}
    ~CheckingOwner() override {
        m_loop.quit();
        m_thread.join();
    }
    void deliver(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) override {
        deliverArrived(code, bytes, length, Clock::now());
    }
    void deliverArrived(std::uint32_t code, const std::uint8_t* bytes, std::size_t length,
                        Clock::time_point arrival) override {
        if (code != CD_RX_FRAME)
            return;
        const std::size_t at = static_cast<std::size_t>(m_delivered) * FLOOD_FRAME;
        if (length != FLOOD_FRAME || at + FLOOD_FRAME > m_expected.size() ||
            !std::equal(bytes, bytes + length, m_expected.begin() + static_cast<long>(at)))
            ++m_wrong;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_arrivals.push_back(arrival);
        }
        ++m_delivered;
    }
    void post(std::function<void()> task) override { m_loop.post(std::move(task)); }

    long delivered() const { return m_delivered; }
    long wrong() const { return m_wrong; }
    Clock::time_point arrival(std::size_t i) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_arrivals[i];
    }

private:
    const std::vector<std::uint8_t>& m_expected;
    EventLoop m_loop;
    std::atomic<long> m_delivered{0};
    std::atomic<long> m_wrong{0};
    std::mutex m_mutex;
    std::vector<Clock::time_point> m_arrivals;
    std::thread m_thread;
};

std::uint16_t freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

// ser2net serving the pseudo-terminal as RFC 2217 and as raw TCP, every byte handed on as read.
class Server {
public:
    explicit Server(const std::string& device)
        : rfc2217(freePort()), raw(freePort()), packing(freePort()) {
        char folder[] = "/tmp/tovan-bench-ser2net-XXXXXX";
        m_folder = ::mkdtemp(folder);
        std::ofstream yaml(m_folder + "/ser2net.yaml");
        yaml << "%YAML 1.1\n---\n";
        // The third port keeps ser2net's default: received bytes are held back briefly
        // (chardelay) and sent together.
        const std::tuple<const char*, std::uint16_t, bool> ports[] = {
            {"telnet(rfc2217),tcp", rfc2217, false},
            {"tcp", raw, false},
            {"telnet(rfc2217),tcp", packing, true}};
        for (const auto& [accepter, port, packs] : ports)
            yaml << "connection: &p" << port << "\n    accepter: " << accepter << ",127.0.0.1,"
                 << port << "\n    connector: serialdev," << device << ",115200n81,local\n"
                 << (packs ? "" : "    options:\n      chardelay: false\n");
        yaml.close();
        m_pid = ::fork();
        if (m_pid == 0) {
            std::freopen("/dev/null", "w", stderr);
            const std::string config = m_folder + "/ser2net.yaml";
            ::execl("/usr/sbin/ser2net", "ser2net", "-n", "-c", config.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    ~Server() {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
        std::system(("rm -rf " + m_folder).c_str());
    }
    std::uint16_t rfc2217;
    std::uint16_t raw;
    std::uint16_t packing;

private:
    std::string m_folder;
    pid_t m_pid = -1;
};

void writeAll(int fd, const std::uint8_t* bytes, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(fd, bytes + done, std::min<std::size_t>(65536, length - done));
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

// Floods `frames` VX31 frames into the module's side and reads them through `name`.
void flood(const std::string& label, const std::string& name, bench::BenchPty& pty, long frames) {
    const std::vector<std::uint8_t> stream = modsim::floodFrames(ModuleFamily::VX31, frames);
    CheckingOwner owner(stream);
    SerialChannel channel(ModuleFamily::VX31);
    DcbTemplate settings;
    settings.BaudRate = 115200;
    std::uint8_t slot = 0;
    if (const std::uint32_t error = channel.OpenPort(name, settings, owner, slot)) {
        std::printf("%s: open failed (%u)\n", label.c_str(), error);
        return;
    }
    const auto start = Clock::now();
    std::thread module([&] { writeAll(pty.master, stream.data(), stream.size()); });
    long last = -1;
    auto progress = Clock::now();
    while (owner.delivered() < frames && Clock::now() - progress < std::chrono::seconds(5)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (owner.delivered() != last) {
            last = owner.delivered();
            progress = Clock::now();
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    module.join();
    channel.ClosePort(slot);
    std::printf("%-22s flood of %ld VX31 frames: delivered %ld, lost %ld, wrong or out of order "
                "%ld, %.0f frames/s\n",
                label.c_str(), frames, owner.delivered(), frames - owner.delivered(), owner.wrong(),
                owner.delivered() / seconds);
}

// One frame at a time, 2 ms apart: from the module's write to the reader's read.
std::vector<double> latencies(const std::string& name, bench::BenchPty& pty, int samples) {
    const std::vector<std::uint8_t> stream = modsim::floodFrames(ModuleFamily::VX31, samples);
    CheckingOwner owner(stream);
    SerialChannel channel(ModuleFamily::VX31);
    DcbTemplate settings;
    settings.BaudRate = 115200;
    std::uint8_t slot = 0;
    std::vector<double> micros;
    if (channel.OpenPort(name, settings, owner, slot) != 0)
        return micros;
    for (int i = 0; i < samples; ++i) {
        const auto written = Clock::now();
        writeAll(pty.master, stream.data() + i * FLOOD_FRAME, FLOOD_FRAME);
        const auto deadline = written + std::chrono::seconds(1);
        while (owner.delivered() <= i && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        if (owner.delivered() > i)
            micros.push_back(
                std::chrono::duration<double, std::micro>(owner.arrival(i) - written).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    channel.ClosePort(slot);
    std::sort(micros.begin(), micros.end());
    return micros;
}

double percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty())
        return 0;
    return sorted[std::min(sorted.size() - 1, static_cast<std::size_t>(p * sorted.size()))];
}

} // namespace

int main(int argc, char** argv) {
    const long frames = argc > 1 ? std::atol(argv[1]) : 300000;
    const int samples = argc > 2 ? std::atoi(argv[2]) : 2000;
    if (::access("/usr/sbin/ser2net", X_OK) != 0) {
        std::printf("ser2net is not installed (scripts/install-deps installs it): nothing to "
                    "measure\n");
        return 0;
    }
    bench::BenchPty pty;
    Server server(pty.path);
    const std::string rfc2217 = "rfc2217://127.0.0.1:" + std::to_string(server.rfc2217);
    const std::string raw = "socket://127.0.0.1:" + std::to_string(server.raw);
    const std::string packing = "rfc2217://127.0.0.1:" + std::to_string(server.packing);
    flood("pty directly", pty.path, pty, frames);
    flood("rfc2217 via ser2net", rfc2217, pty, frames);
    flood("socket via ser2net", raw, pty, frames);

    const auto direct = latencies(pty.path, pty, samples);
    std::printf("latency, %d frames one at a time (module write to reader read):\n", samples);
    std::printf("  %-20s median %7.1f us, p99 %7.1f us\n", "pty directly", percentile(direct, 0.5),
                percentile(direct, 0.99));
    for (const auto& [label, name] : {std::pair{"rfc2217 via ser2net", rfc2217},
                                      {"socket via ser2net", raw},
                                      {"rfc2217, chardelay on", packing}}) {
        const auto through = latencies(name, pty, samples);
        std::printf("  %-20s median %7.1f us, p99 %7.1f us; added: median %.1f us, p99 %.1f us "
                    "(%zu of %d frames)\n",
                    label, percentile(through, 0.5), percentile(through, 0.99),
                    percentile(through, 0.5) - percentile(direct, 0.5),
                    percentile(through, 0.99) - percentile(direct, 0.99), through.size(), samples);
    }
    return 0;
}
