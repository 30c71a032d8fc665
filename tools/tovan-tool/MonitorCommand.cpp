#include "core/console/CommunicationLog.h"
#include "core/console/DiscardedEntry.h"
#include "core/console/EntryTime.h"
#include "core/console/NoteEntry.h"
#include "core/console/TrafficText.h"
#include "core/frames/CHexCodec.h"
#include "core/hub/ConsoleMessage.h"
#include "core/hub/EventLoop.h"
#include "core/hub/OwnerEndpoint.h"
#include "core/serial/FrameFit.h"
#include "core/serial/LineTime.h"
#include "core/serial/OpenFailure.h"
#include "core/serial/PortErrorText.h"
#include "core/serial/SerialChannel.h"
#include "core/tree/Labels.h"
#include "core/wmbus/CTelegramDecoder.h"
#include "core/wmbus/MeterTable.h"
#include "core/wmbus/RecordText.h"
#include "core/wmbus/TelegramReader.h"
#include "tools/tovan-tool/Commands.h"
#include "tools/tovan-tool/KeyFileLoading.h"
#include "tools/tovan-tool/MonitorOptions.h"

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
    MonitorConsole(EventLoop& loop, const MonitorOptions& options)
        : m_loop(loop), m_family(options.family), m_parse(options.parse),
          m_showDiscarded(options.showDiscarded), m_milliseconds(options.milliseconds),
          m_meters(options.meters) {}

    // Opens the communication log; 0 or errno.
    int openLog(const std::string& path) {
        m_logPath = path;
        return m_log.open(path);
    }
    // Closes the log; false when any of it could not be written (told on standard error).
    bool closeLog() {
        if (const int error = m_log.close())
            logFailed(error);
        return !m_logFailed;
    }

    void deliver(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) override {
        if (code == CD_RX_FRAME || code == CD_RX_DISCARDED)
            checkFamily(code, bytes, length);
        if (code == CD_RX_FRAME && m_meters) {
            countMeter(bytes, length);
        } else if (code == CD_RX_FRAME || code == CD_TX_FRAME) {
            std::string hex;
            m_codec.BytesToHex(bytes, length, hex);
            const std::string time = now();
            show(code == CD_TX_FRAME ? traffic::transmitted(m_family, time, hex)
                                     : received(time, hex, ByteView(bytes, length)));
        } else if (code == CD_RX_DISCARDED && m_showDiscarded) {
            show(traffic::discarded(now(), bytes, length));
        } else if (code == CD_TX_FAILED) {
            std::uint32_t error = 0;
            for (std::size_t i = 0; i < 4 && i < length; ++i)
                error |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
            show(traffic::note(now(), "Transmit failed: " +
                                          transmitFailureReason(static_cast<int>(error))));
        } else if (code == CD_PORT_LOST) {
            m_portLost = true;
            if (bytes && length > 1)
                m_lossReason.assign(reinterpret_cast<const char*>(bytes) + 1, length - 1);
            m_loop.quit();
        }
    }
    // Frames come with the time the reader read them, which the millisecond stamps show.
    void deliverArrived(std::uint32_t code, const std::uint8_t* bytes, std::size_t length,
                        std::chrono::steady_clock::time_point arrival) override {
        m_arrival = arrival;
        deliver(code, bytes, length);
        m_arrival = {};
    }
    void post(std::function<void()> task) override { m_loop.post(std::move(task)); }
    bool portLost() const { return m_portLost; }
    const std::string& lossReason() const { return m_lossReason; }
    void setMeterKeys(const MeterKeys& keys) { m_reader.setKeys(keys); }

private:
    // Frames of the other family in what arrives mean the module is not of the family given;
    // said once. The first family's receiver delivers only frames with its own checksum, so
    // there only its discards can hold them; the second family's takes FE, the other's start
    // byte, for the length of a raw frame, so what it delivers is looked at as well.
    void checkFamily(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) {
        if (m_familyTold || (code == CD_RX_FRAME && m_family == ModuleFamily::VX31))
            return;
        if (code == CD_RX_DISCARDED && length > 0) { // the reason byte first
            ++bytes;
            --length;
        }
        const ModuleFamily other =
            m_family == ModuleFamily::VX31 ? ModuleFamily::VM77 : ModuleFamily::VX31;
        if (!beginsWithFrameOf(other, bytes, length))
            return;
        m_familyTold = true;
        constexpr std::size_t SHOWN = 8;
        std::string hex;
        m_codec.BytesToHex(bytes, std::min(length, SHOWN), hex);
        std::fflush(stdout);
        std::cerr << "tovan-tool: warning: the module sends " << familyOption(other) << " frames ("
                  << hex << (length > SHOWN ? " ..." : "") << "), which a "
                  << familyOption(m_family) << " receiver does not take; try --family "
                  << familyOption(other) << '\n';
    }

    void countMeter(const std::uint8_t* bytes, std::size_t length) {
        std::string hex;
        m_codec.BytesToHex(bytes, length, hex);
        TelegramFields fields;
        if (!m_decoder.IsTelegram(hex) || !m_decoder.DecodeFields(hex, fields))
            return;
        const TelegramReading reading = m_reader.read(ByteView(bytes, length));
        m_meters->add(fields, std::chrono::system_clock::now(), &reading.records);
    }

    // What the console shows of a received frame, the records of a telegram included.
    traffic::Entry received(const std::string& time, const std::string& hex, ByteView bytes) {
        if (!m_parse)
            return traffic::received(m_family, time, hex, nullptr);
        std::string records;
        if (m_family == ModuleFamily::VM77 && m_decoder.IsTelegram(hex))
            records = RecordText::consoleBlock(m_reader.read(bytes));
        return traffic::received(m_family, time, hex, &m_decoder, {}, records);
    }

    std::string now() { return m_milliseconds ? m_entryClock.arrivedAt(m_arrival) : m_clock.now(); }

    void show(const traffic::Entry& entry) {
        const std::string text = latin1ToUtf8(traffic::readsAs(entry)) + "\n";
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
        if (!entry.logged || !m_log.isOpen())
            return;
        int error = m_log.write(entry.logText);
        if (error == 0)
            error = m_log.flush();
        if (error != 0)
            logFailed(error);
    }

    // As the console does: said once, and logging stops.
    void logFailed(int error) {
        if (m_logFailed)
            return;
        m_logFailed = true;
        std::cerr << "tovan-tool: writing the log file " << m_logPath
                  << " failed: " << std::strerror(error) << "; logging stopped\n";
        m_log.close();
    }

    EventLoop& m_loop;
    ModuleFamily m_family;
    bool m_parse;
    bool m_showDiscarded;
    bool m_milliseconds;
    bool m_portLost = false;
    bool m_familyTold = false;
    std::string m_lossReason;
    CHexCodec m_codec;
    CTelegramDecoder m_decoder;
    TelegramReader m_reader;
    CommunicationLog m_log;
    std::string m_logPath;
    bool m_logFailed = false;
    traffic::TimeOfDay m_clock;
    traffic::EntryClock m_entryClock;
    std::chrono::steady_clock::time_point m_arrival;
    MeterTable* m_meters;
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

// Why a frame could not go out, naming the limit it broke.
std::string sendFailure(std::uint32_t error, std::size_t length) {
    if (error == EMSGSIZE)
        return "has " + std::to_string(length) + " bytes; a frame may have at most " +
               std::to_string(SerialChannel::TX_BUFFER_SIZE);
    return std::string("could not be sent: ") + std::strerror(static_cast<int>(error));
}

// Sends the frames one after the other, each once the one before it has left the line and a
// pause has shown the module where it ended. False after printing why a frame did not go out
// (or when the monitor has to end).
bool sendFrames(SerialChannel& channel, std::uint8_t slot, const MonitorOptions& options,
                EventLoop& loop, const InterruptWatch& interrupts, const MonitorConsole& console,
                Clock::time_point end, bool& failed) {
    for (std::size_t i = 0; i < options.frames.size(); ++i) {
        const auto& frame = options.frames[i];
        const std::string which = "tovan-tool: frame " + std::to_string(i + 1) + " ";
        if (const std::uint32_t error = channel.SendFrame(slot, frame.data(), frame.size())) {
            std::cerr << which << sendFailure(error, frame.size()) << '\n';
            failed = true;
            return false;
        }
        const auto onTheLine = std::chrono::duration_cast<std::chrono::milliseconds>(
            lineTime(frame.size(), options.port.dcb));
        if (const std::uint32_t error =
                channel.WaitUntilWritten(slot, static_cast<int>(onTheLine.count()) + 1000)) {
            std::cerr << which << "could not be written: " << std::strerror(static_cast<int>(error))
                      << '\n';
            failed = true;
            return false;
        }
        const auto next = Clock::now() + std::chrono::milliseconds(20);
        if (!runUntil(loop, std::min(next, end), interrupts, console))
            return false;
    }
    return true;
}

// Opens the port; false after printing why it cannot be opened.
bool openPort(SerialChannel& channel, const MonitorOptions& options, MonitorConsole& console,
              std::uint8_t& slot) {
    const std::uint32_t result = channel.OpenPort(options.port.portName, options.port.dcb, console,
                                                  slot, options.port.remote);
    if (result == 0) {
        // Shown with --show-discarded; frames of the other family among them are told anyway.
        channel.SetReportDiscards(slot, true);
        return true;
    }
    const std::string& name = options.port.portName;
    std::cerr << "tovan-tool: "
              << formatOpenFailure(name, describeOpenFailure(name, static_cast<int>(result)));
    return false;
}

} // namespace

int runMonitor(const MonitorOptions& options) {
    EventLoop loop;
    InterruptWatch interrupts(loop); // before any reader thread exists
    MonitorConsole console(loop, options);
    if (options.parse || options.meters) {
        MeterKeys keys;
        if (!loadMeterKeys(options.keys, keys))
            return EXIT_FAILED;
        console.setMeterKeys(keys);
    }
    if (!options.logPath.empty()) {
        if (const int error = console.openLog(options.logPath)) {
            std::cerr << "tovan-tool: cannot create " << options.logPath << ": "
                      << std::strerror(error) << '\n';
            return EXIT_FAILED;
        }
    }
    SerialChannel& channel = SerialChannel::forFamily(options.family);
    std::uint8_t slot = SerialChannel::NO_PORT;
    if (!openPort(channel, options, console, slot))
        return EXIT_FAILED;
    const Clock::time_point end = options.seconds
                                      ? Clock::now() + std::chrono::seconds(*options.seconds)
                                      : Clock::time_point::max();
    bool failed = false;
    if (sendFrames(channel, slot, options, loop, interrupts, console, end, failed))
        runUntil(loop, end, interrupts, console);
    channel.ClosePort(slot);
    loop.processPending(); // deliveries still queued turn into no-ops
    if (!console.closeLog())
        failed = true;
    if (console.portLost()) {
        std::cerr << "tovan-tool: " << options.port.portName << " went away";
        if (!console.lossReason().empty())
            std::cerr << ": " << console.lossReason();
        std::cerr << '\n';
        return EXIT_FAILED;
    }
    return failed ? EXIT_FAILED : 0;
}

} // namespace tovan::tool
