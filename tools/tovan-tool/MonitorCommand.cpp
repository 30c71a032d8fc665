#include "Commands.h"
#include "MonitorOptions.h"
#include "console/CTelegramDecoder.h"
#include "console/ConsoleMessage.h"
#include "console/EventLoop.h"
#include "console/OwnerEndpoint.h"
#include "frames/CHexCodec.h"
#include "serial/SerialChannel.h"

#include <atomic>
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

private:
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

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
    for (const auto& frame : options.frames)
        if (const std::uint32_t sent = channel.SendFrame(slot, frame.data(), frame.size()))
            std::cerr << "tovan-tool: sending failed: " << std::strerror(static_cast<int>(sent))
                      << '\n';
    if (options.seconds)
        loop.runFor(std::chrono::seconds(*options.seconds));
    else
        loop.run();
    channel.ClosePort(slot);
    loop.processPending(); // deliveries still queued turn into no-ops
    if (console.portLost()) {
        std::cerr << "tovan-tool: " << options.port.portName << " went away\n";
        return EXIT_FAILED;
    }
    return 0;
}

} // namespace tovan::tool
