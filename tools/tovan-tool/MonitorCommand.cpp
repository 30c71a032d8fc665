#include "Commands.h"
#include "MonitorOptions.h"
#include "console/CTelegramDecoder.h"
#include "console/CommunicationLog.h"
#include "console/TrafficText.h"
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
#include <iostream>
#include <thread>

namespace tovan::tool {

namespace {

// A console without a window: prints each traffic entry as the console's window reads it from
// top to bottom, entries in the order they arrive, and logs what a console logs.
class MonitorConsole : public OwnerEndpoint {
public:
    MonitorConsole(EventLoop& loop, ModuleFamily family, bool parse)
        : m_loop(loop), m_family(family), m_parse(parse) {}

    // Opens the communication log; 0 or errno.
    int openLog(const std::string& path) { return m_log.open(path); }
    int closeLog() {
        const int error = m_log.flush();
        m_log.close();
        return error;
    }

    void deliver(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) override {
        if (code == CD_RX_FRAME || code == CD_TX_FRAME) {
            std::string hex;
            m_codec.BytesToHex(bytes, length, hex);
            const std::string& time = m_clock.now();
            show(code == CD_TX_FRAME
                     ? traffic::transmitted(m_family, time, hex)
                     : traffic::received(m_family, time, hex, m_parse ? &m_decoder : nullptr));
        } else if (code == CD_PORT_LOST) {
            m_portLost = true;
            m_loop.quit();
        }
    }
    void post(std::function<void()> task) override { m_loop.post(std::move(task)); }
    bool portLost() const { return m_portLost; }

private:
    void show(const traffic::Entry& entry) {
        const std::string text = traffic::readsAs(entry) + "\n";
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
        if (entry.logged && m_log.isOpen() && m_log.write(entry.logText) == 0)
            m_log.flush();
    }

    EventLoop& m_loop;
    ModuleFamily m_family;
    bool m_parse;
    bool m_portLost = false;
    CHexCodec m_codec;
    CTelegramDecoder m_decoder;
    CommunicationLog m_log;
    traffic::TimeOfDay m_clock;
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
                  << " [--parse] [--send HEX]... [--seconds N] [--log FILE]\n";
        return EXIT_USAGE;
    }
    EventLoop loop;
    InterruptWatch interrupts(loop); // before any reader thread exists
    MonitorConsole console(loop, options.family, options.parse);
    if (!options.logPath.empty()) {
        if (const int error = console.openLog(options.logPath)) {
            std::cerr << "tovan-tool: cannot create " << options.logPath << ": "
                      << std::strerror(error) << '\n';
            return EXIT_FAILED;
        }
    }
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
    console.closeLog();
    if (console.portLost()) {
        std::cerr << "tovan-tool: " << options.port.portName << " went away\n";
        return EXIT_FAILED;
    }
    return 0;
}

} // namespace tovan::tool
