#include "Commands.h"
#include "MonitorOptions.h"
#include "console/CTelegramDecoder.h"
#include "hub/ConsoleMessage.h"
#include "hub/EventLoop.h"
#include "hub/OwnerEndpoint.h"
#include "frames/CHexCodec.h"
#include "serial/LineTime.h"
#include "serial/SerialChannel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <thread>

namespace tovan::tool {

namespace {

std::string timeOfDay() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

// A console without a window: prints each traffic entry as the console's window reads it from
// top to bottom, entries in the order they arrive.
class MonitorConsole : public OwnerEndpoint {
public:
    MonitorConsole(EventLoop& loop, bool parse) : m_loop(loop), m_parse(parse) {}

    void deliver(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) override {
        if (code == CD_RX_FRAME || code == CD_TX_FRAME) {
            std::string hex;
            m_codec.BytesToHex(bytes, length, hex);
            print(code == CD_TX_FRAME ? transmitted(hex) : received(hex));
        } else if (code == CD_PORT_LOST) {
            m_portLost = true;
            m_loop.quit();
        }
    }
    void post(std::function<void()> task) override { m_loop.post(std::move(task)); }
    bool portLost() const { return m_portLost; }

private:
    std::string transmitted(const std::string& hex) const {
        return timeOfDay() + "  TX:\r\n " + hex;
    }
    std::string received(const std::string& hex) const {
        if (!m_parse || !m_decoder.IsTelegram(hex))
            return timeOfDay() + "  RX:\r\n " + hex;
        // Time line, decoded lines, then the telegram itself.
        return timeOfDay() + "  RX:\r\n" + m_decoder.Decode(hex) + "\r\n" + hex;
    }
    static void print(std::string entry) {
        entry.erase(std::remove(entry.begin(), entry.end(), '\r'), entry.end());
        std::fputs(entry.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }

    EventLoop& m_loop;
    bool m_parse;
    bool m_portLost = false;
    CHexCodec m_codec;
    CTelegramDecoder m_decoder;
};

// Ends the loop on Ctrl+C (or SIGTERM). The signals are blocked in every thread and taken
// here, so no handler has to touch the loop.
class InterruptWatch {
public:
    explicit InterruptWatch(EventLoop& loop) {
        sigset_t signals;
        sigemptyset(&signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
        m_thread = std::thread([this, &loop, signals] {
            const timespec tick{0, 100'000'000};
            while (!m_done) {
                if (::sigtimedwait(&signals, nullptr, &tick) > 0) {
                    m_fired = true;
                    loop.quit();
                    return;
                }
            }
        });
    }
    ~InterruptWatch() {
        m_done = true;
        m_thread.join();
    }

    bool fired() const { return m_fired; }

private:
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_fired{false};
    std::thread m_thread;
};

using Clock = std::chrono::steady_clock;

// Runs the console's loop until `until`; false as soon as the monitor has to end.
bool runUntil(EventLoop& loop, Clock::time_point until, const InterruptWatch& interrupts,
              const MonitorConsole& console) {
    // Short slices: a quit() that comes between two runs is seen by the flags.
    while (!interrupts.fired() && !console.portLost()) {
        const auto now = Clock::now();
        if (now >= until)
            return true;
        loop.runFor(std::chrono::duration_cast<std::chrono::milliseconds>(
            std::min<Clock::duration>(until - now, std::chrono::milliseconds(200))));
    }
    return false;
}

// A frame offered while another waits for the line is refused, so the next frame waits until
// this one had time to leave, plus 20 ms.
Clock::duration timeOnTheLine(std::size_t bytes, const DcbTemplate& settings) {
    return lineTime(bytes, settings) + std::chrono::milliseconds(20);
}

} // namespace

int runMonitor(const std::vector<std::string>& args) {
    MonitorOptions options;
    std::string error;
    if (!parseMonitorOptions(args, options, error)) {
        std::cerr << "tovan-tool: " << error << "\nusage: tovan-tool monitor PORT --family "
                  << "vx31|vm77 [--baud N] [--parity none|odd|even] [--stop 1|2] [--rtscts]"
                  << " [--parse] [--send HEX]... [--seconds N]\n";
        return EXIT_USAGE;
    }
    EventLoop loop;
    InterruptWatch interrupts(loop); // before any reader thread exists
    MonitorConsole console(loop, options.parse);
    SerialChannel& channel = SerialChannel::forFamily(options.family);
    std::uint8_t slot = SerialChannel::NO_PORT;
    const std::uint32_t result =
        channel.OpenPort(options.port.portName, options.port.dcb, console, slot);
    if (result == SerialChannel::ERR_TOO_MANY_PORTS) {
        std::cerr << "Too many communication ports opened. Please close one port.\n";
        return EXIT_FAILED;
    }
    if (result != 0) {
        std::cerr << "Unable to open " << options.port.portName << ". Please check com settings.\n";
        return EXIT_FAILED;
    }
    const Clock::time_point end = options.seconds
                                      ? Clock::now() + std::chrono::seconds(*options.seconds)
                                      : Clock::time_point::max();
    bool running = true;
    for (const auto& frame : options.frames) {
        if (const std::uint32_t sent = channel.SendFrame(slot, frame.data(), frame.size()))
            std::cerr << "tovan-tool: sending failed: " << std::strerror(static_cast<int>(sent))
                      << '\n';
        const auto next = Clock::now() + timeOnTheLine(frame.size(), options.port.dcb);
        if (!(running = runUntil(loop, std::min(next, end), interrupts, console)))
            break;
    }
    if (running)
        runUntil(loop, end, interrupts, console);
    channel.ClosePort(slot);
    loop.processPending(); // deliveries still queued turn into no-ops
    if (console.portLost()) {
        std::cerr << "tovan-tool: " << options.port.portName << " went away\n";
        return EXIT_FAILED;
    }
    return 0;
}

} // namespace tovan::tool
