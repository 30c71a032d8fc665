// Ports across the network, against a real ser2net on the loopback serving a pseudo-terminal
// whose master side the test plays. Skipped, saying why, only where ser2net cannot be started.
#include "core/console/ConsoleCommands.h"
#include "core/hub/ConsoleMessage.h"
#include "core/serial/OpenFailure.h"
#include "core/serial/Port.h"
#include "core/serial/PortChoice.h"
#include "core/serial/RemoteError.h"
#include "core/serial/TelnetCodec.h"
#include "tests/core/serial/ChannelTestSupport.h"
#include "tests/support/ConsoleHarness.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/Ser2net.h"

#include <arpa/inet.h>
#include <atomic>
#include <dirent.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace tovan;
using namespace tovan::test;
using namespace std::chrono_literals;

namespace {

// A pseudo-terminal served by ser2net.
struct ServedLine {
    ScratchDir dir;
    PtyPair pty;
    Ser2net server{pty.slavePath(), dir.path()};
};

#define REQUIRE_SER2NET(line)                                                                      \
    if (!(line).server.running())                                                                  \
    GTEST_SKIP() << (line).server.why()

Bytes allByteValuesTwice() {
    Bytes bytes;
    for (int round = 0; round < 2; ++round)
        for (int v = 0; v < 256; ++v)
            bytes.push_back(static_cast<std::uint8_t>(v));
    return bytes;
}

// Reads from a port, as its reader does, until `count` data bytes came or time is up.
Bytes readFromPort(Port& port, std::size_t count) {
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
        pollfd pfd{port.pollFd(), POLLIN, 0};
        if (::poll(&pfd, 1, 100) <= 0)
            continue;
        std::uint8_t buffer[1024];
        std::size_t n = 0;
        if (port.read(buffer, sizeof buffer, n, pfd.revents) != 0)
            break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

// The descriptors of the kinds a port uses: sockets and event descriptors.
int portDescriptors() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(dir)) {
            char target[256] = {};
            const std::string link = std::string("/proc/self/fd/") + entry->d_name;
            if (::readlink(link.c_str(), target, sizeof target - 1) <= 0)
                continue;
            const std::string kind = target;
            count += kind.rfind("socket:", 0) == 0 || kind == "anon_inode:[eventfd]";
        }
        ::closedir(dir);
    }
    return count;
}

// A server of the test's own that says a fixed script to the first client and listens to it
// until it goes: a server that answers other than ser2net does.
class ScriptedServer {
public:
    explicit ScriptedServer(Bytes script) {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        ::listen(m_listener, 1);
        port = ntohs(address.sin_port);
        m_thread = std::thread([this, script] {
            const int client = ::accept(m_listener, nullptr, nullptr);
            if (client < 0)
                return;
            ::send(client, script.data(), script.size(), MSG_NOSIGNAL);
            std::uint8_t sink[256];
            while (::recv(client, sink, sizeof sink, 0) > 0) {
            }
            ::close(client);
        });
    }
    ~ScriptedServer() {
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }
    std::string name() const { return "rfc2217://127.0.0.1:" + std::to_string(port); }
    std::uint16_t port = 0;

private:
    int m_listener = -1;
    std::thread m_thread;
};

Bytes agreeingGreeting() {
    using namespace telnet;
    return {IAC, DO, COM_PORT, IAC, DO, BINARY, IAC, WILL, BINARY};
}

void appendAnswer(Bytes& script, std::initializer_list<std::uint8_t> payload) {
    const Bytes bytes(payload);
    TelnetCodec::appendSubnegotiation(script, telnet::COM_PORT, bytes.data(), bytes.size());
}

std::uint32_t openResult(const std::string& name, const DcbTemplate& dcb = lineSettings(),
                         std::uint32_t connectTimeoutMs = RemoteOptions::CONNECT_TIMEOUT_MS) {
    SerialChannel channel(ModuleFamily::VX31);
    RecordingEndpoint owner;
    std::uint8_t slot = SerialChannel::NO_PORT;
    RemoteOptions remote;
    remote.connectTimeoutMs = connectTimeoutMs;
    return channel.OpenPort(name, dcb, owner, slot, remote);
}

std::string reasonFor(const std::string& name, std::uint32_t error) {
    return describeOpenFailure(name, static_cast<int>(error)).reason;
}

} // namespace

TEST(RemotePort, FramesOfBothFamiliesCrossBothWays) {
    ServedLine line;
    REQUIRE_SER2NET(line);
    const Bytes vx31WithFF = frame::buildVx31Frame(0xFF, 0xFF, {0xFF, 0x00, 0xFF});
    const Bytes vm77Command = {0xFF, 0x81, 0x00, 0x7E};
    const Bytes vm77Raw = {0x03, 0xFF, 0x44, 0xB0};
    for (const std::string& name : {line.server.rfc2217Name(), line.server.socketName()}) {
        for (const ModuleFamily family : {ModuleFamily::VX31, ModuleFamily::VM77}) {
            SCOPED_TRACE(name + (family == ModuleFamily::VX31 ? " VX31" : " VM77"));
            SerialChannel channel(family);
            RecordingEndpoint owner;
            std::uint8_t slot = SerialChannel::NO_PORT;
            const std::uint32_t result = channel.OpenPort(name, lineSettings(), owner, slot);
            ASSERT_EQ(result, 0u) << reasonFor(name, result);
            const std::vector<Bytes> frames = family == ModuleFamily::VX31
                                                  ? std::vector<Bytes>{vx31WithFF, vx31Frame(7)}
                                                  : std::vector<Bytes>{vm77Command, vm77Raw};
            for (const Bytes& frame : frames)
                line.pty.write(frame);
            ASSERT_TRUE(owner.waitFor(CD_RX_FRAME, frames.size()));
            for (std::size_t i = 0; i < frames.size(); ++i)
                EXPECT_EQ(owner.messages(CD_RX_FRAME)[i].bytes, frames[i]);
            for (const Bytes& frame : frames) {
                ASSERT_EQ(channel.SendFrame(slot, frame.data(), frame.size()), 0u);
                EXPECT_EQ(channel.WaitUntilWritten(slot, 2000), 0u);
                EXPECT_EQ(line.pty.read(frame.size(), 2000), frame);
            }
            channel.ClosePort(slot);
        }
    }
}

TEST(RemotePort, EveryByteValueCrossesExactlyBothWays) {
    ServedLine line;
    REQUIRE_SER2NET(line);
    const Bytes values = allByteValuesTwice();
    for (const std::string& name : {line.server.rfc2217Name(), line.server.socketName()}) {
        SCOPED_TRACE(name);
        PortChoice choice;
        ASSERT_EQ(choosePort(name, RemoteOptions{}, choice), 0);
        ASSERT_EQ(choice.port->open(choice.device), 0);
        ASSERT_EQ(choice.port->configure(lineSettings()), 0);
        ASSERT_EQ(choice.port->writeAll(values.data(), values.size(), -1), 0);
        EXPECT_EQ(line.pty.read(values.size(), 2000), values) << "to the device";
        line.pty.write(values);
        EXPECT_EQ(readFromPort(*choice.port, values.size()), values) << "from the device";
        choice.port->close();
    }
}

TEST(RemotePort, TheSettingsReachTheDeviceAndASettingNotTakenIsAnOpenFailure) {
    ServedLine line;
    REQUIRE_SER2NET(line);
    DcbTemplate slow;
    slow.BaudRate = 19200;
    slow.Parity = ODDPARITY;
    slow.StopBits = TWOSTOPBITS;
    slow.setRtsCtsHandshake();
    DcbTemplate fast = lineSettings(); // 115200, no parity, one stop bit, no handshake
    for (const DcbTemplate& dcb : {slow, fast}) {
        SerialChannel channel(ModuleFamily::VX31);
        RecordingEndpoint owner;
        std::uint8_t slot = SerialChannel::NO_PORT;
        ASSERT_EQ(channel.OpenPort(line.server.rfc2217Name(), dcb, owner, slot), 0u);
        termios device{};
        ASSERT_EQ(::tcgetattr(line.pty.masterFd(), &device), 0);
        const bool isSlow = dcb.BaudRate == 19200;
        EXPECT_EQ(::cfgetospeed(&device), isSlow ? B19200 : B115200);
        EXPECT_EQ((device.c_cflag & CSTOPB) != 0, isSlow);
        EXPECT_EQ((device.c_cflag & CRTSCTS) != 0, isSlow);
        // A pseudo-terminal keeps no parity bit of its own (the kernel clears PARENB), but the
        // odd-parity choice shows.
        EXPECT_EQ((device.c_cflag & PARODD) != 0, isSlow);
        EXPECT_EQ(device.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        channel.ClosePort(slot);
    }

    // Servers that answer otherwise than asked, or not at all.
    Bytes otherBaud = agreeingGreeting();
    appendAnswer(otherBaud, {101, 0, 0, 0, 7});
    ScriptedServer refusing(otherBaud);
    const std::uint32_t refused = openResult(refusing.name());
    EXPECT_EQ(refused, REMOTE_SETTING_REFUSED + SETTING_BAUD_RATE);
    EXPECT_EQ(reasonFor(refusing.name(), refused), "the server did not take the baud rate");

    ScriptedServer withoutControl({telnet::IAC, telnet::DONT, telnet::COM_PORT});
    EXPECT_EQ(openResult(withoutControl.name()),
              static_cast<std::uint32_t>(REMOTE_NO_PORT_CONTROL));

    ScriptedServer silent({}); // a raw TCP port opened as rfc2217://
    const std::uint32_t noTelnet = openResult(silent.name());
    EXPECT_EQ(noTelnet, static_cast<std::uint32_t>(REMOTE_NO_TELNET));
    EXPECT_NE(describeOpenFailure(silent.name(), static_cast<int>(noTelnet)).hint.find("socket://"),
              std::string::npos);
}

TEST(RemotePort, EachFailureToConnectIsToldWithItsReason) {
    const std::string nobody = "rfc2217://127.0.0.1:" + std::to_string(freeTcpPort());
    const std::uint32_t refused = openResult(nobody);
    EXPECT_EQ(refused, static_cast<std::uint32_t>(ECONNREFUSED));
    EXPECT_EQ(reasonFor(nobody, refused).rfind("connection refused", 0), 0u);

    const std::string unknown = "socket://no-such-host.invalid:4001";
    const std::uint32_t notFound = openResult(unknown);
    EXPECT_TRUE(notFound == REMOTE_HOST_UNKNOWN || notFound == REMOTE_LOOKUP_FAILED) << notFound;
    EXPECT_NE(reasonFor(unknown, notFound).find("no-such-host.invalid"), std::string::npos);

    // A server whose queue of connections is full drops new ones without an answer.
    const int full = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(::bind(full, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::getsockname(full, reinterpret_cast<sockaddr*>(&address), &size);
    ::listen(full, 0);
    const int waiting = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(::connect(waiting, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string silent = "socket://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    const std::uint32_t timedOut = openResult(silent, lineSettings(), 300);
    EXPECT_EQ(timedOut, static_cast<std::uint32_t>(ETIMEDOUT));
    EXPECT_EQ(reasonFor(silent, timedOut).rfind("timed out", 0), 0u);
    ::close(waiting);
    ::close(full);

    // ser2net turns a second client away while the first has the port.
    ServedLine line;
    REQUIRE_SER2NET(line);
    for (const std::string& name : {line.server.rfc2217Name(), line.server.socketName()}) {
        SerialChannel first(ModuleFamily::VX31);
        RecordingEndpoint owner;
        std::uint8_t slot = SerialChannel::NO_PORT;
        ASSERT_EQ(first.OpenPort(name, lineSettings(), owner, slot), 0u);
        const std::uint32_t turnedAway = openResult(name);
        EXPECT_TRUE(turnedAway == REMOTE_CLOSED || turnedAway == ECONNRESET) << turnedAway;
        EXPECT_NE(
            describeOpenFailure(name, static_cast<int>(turnedAway)).hint.find("another client"),
            std::string::npos);
        first.ClosePort(slot);
    }
}

TEST(RemotePort, AServerStoppedInAFloodIsALostPortToldOnceWithoutSpinOrLeak) {
    ServedLine line;
    REQUIRE_SER2NET(line);
    const int descriptorsBefore = portDescriptors();
    SerialChannel channel(ModuleFamily::VX31);
    RecordingEndpoint owner;
    std::uint8_t slot = SerialChannel::NO_PORT;
    ASSERT_EQ(channel.OpenPort(line.server.rfc2217Name(), lineSettings(), owner, slot), 0u);

    std::atomic<bool> flooding{true};
    std::thread module([&] {
        std::uint16_t sequence = 0;
        Bytes pending;
        while (flooding) {
            while (pending.size() < 4096) {
                const Bytes f = vx31Frame(sequence++, 5);
                pending.insert(pending.end(), f.begin(), f.end());
            }
            // The line may stop taking bytes once nobody reads it.
            pollfd pfd{line.pty.masterFd(), POLLOUT, 0};
            if (::poll(&pfd, 1, 10) <= 0)
                continue;
            const ssize_t n = ::write(line.pty.masterFd(), pending.data(), pending.size());
            if (n > 0)
                pending.erase(pending.begin(), pending.begin() + n);
        }
    });
    ASSERT_TRUE(owner.waitFor(CD_RX_FRAME, 2000, 20s));
    line.server.stop();
    ASSERT_TRUE(owner.waitFor(CD_PORT_LOST, 1));
    flooding = false;
    module.join();

    const double cpuBefore = cpuSeconds();
    owner.loop.runFor(300ms);
    EXPECT_LT(cpuSeconds() - cpuBefore, 0.1) << "nothing spins after the loss";
    const auto lost = owner.messages(CD_PORT_LOST);
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].text().substr(1), "the server closed the connection");
    // Every frame that did arrive is whole and in order.
    const auto frames = owner.messages(CD_RX_FRAME);
    const int first = frames[0].bytes[4] | frames[0].bytes[5] << 8;
    for (std::size_t i = 0; i < frames.size(); ++i)
        ASSERT_EQ(frames[i].bytes, vx31Frame(static_cast<std::uint16_t>(first + i), 5)) << i;
    channel.ClosePort(slot);
    EXPECT_EQ(portDescriptors(), descriptorsBefore);
}

TEST(RemotePort, AConsoleWaitsForTheSameServerAndReopensWhenItIsBack) {
    ServedLine line;
    REQUIRE_SER2NET(line);
    ConsoleHarness harness(ModuleFamily::VX31);
    ModuleConsole& console = harness.console();
    PortSettings settings = PortSettings::forFamily(ModuleFamily::VX31);
    settings.portName = line.server.rfc2217Name();
    console.setPortSettings(settings);
    console.runCommand(consolecmd::ID_RECONNECT);
    console.openPort();
    ASSERT_TRUE(console.portOpen()) << (harness.errors.empty() ? "" : harness.errors[0].text);

    line.server.stop();
    ASSERT_TRUE(harness.runUntil([&] { return console.waitingForPort(); }));
    EXPECT_EQ(harness.panes[0], "Waiting for " + settings.portName);
    console.retryReconnect(); // refused: not there yet
    EXPECT_FALSE(console.portOpen());
    ASSERT_TRUE(line.server.start());
    ASSERT_TRUE(harness.runUntil([&] {
        console.retryReconnect();
        return console.portOpen();
    }));
    line.pty.write(vx31Frame(42));
    EXPECT_TRUE(harness.runUntil([&] { return console.traffic().receivedCount() == 1; }));
    harness.loop.runFor(50ms);
    ASSERT_EQ(harness.errors.size(), 1u);
    EXPECT_EQ(harness.errors[0].text, "Communication port " + settings.portName + " lost.");
}

TEST(RemotePort, TheLongerPauseOfARemotePortReachesItsReceiverAndOnlyIts) {
    ServedLine line;
    REQUIRE_SER2NET(line);
    const Bytes paused = vx31Frame(1);
    const Bytes next = vx31Frame(2);
    struct Case {
        std::string name;
        std::uint32_t pauseMs;
        std::size_t frames; // the paused frame is kept only with the longer pause
    };
    const Case cases[] = {{line.server.rfc2217Name(), 20, 1},
                          {line.server.rfc2217Name(), 200, 2},
                          {line.pty.slavePath(), 200, 1}}; // a local port keeps 20 ms
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.pauseMs));
        SerialChannel channel(ModuleFamily::VX31);
        RecordingEndpoint owner;
        std::uint8_t slot = SerialChannel::NO_PORT;
        RemoteOptions remote;
        remote.framePauseMs = c.pauseMs;
        ASSERT_EQ(channel.OpenPort(c.name, lineSettings(), owner, slot, remote), 0u);
        line.pty.write(Bytes(paused.begin(), paused.begin() + 3));
        std::this_thread::sleep_for(60ms);
        line.pty.write(Bytes(paused.begin() + 3, paused.end()));
        std::this_thread::sleep_for(60ms);
        line.pty.write(next);
        ASSERT_TRUE(owner.waitFor(CD_RX_FRAME, c.frames));
        owner.loop.runFor(100ms);
        const auto frames = owner.messages(CD_RX_FRAME);
        ASSERT_EQ(frames.size(), c.frames);
        EXPECT_EQ(frames.back().bytes, next);
        if (c.frames == 2) {
            EXPECT_EQ(frames.front().bytes, paused);
        }
        channel.ClosePort(slot);
    }
}
