#pragma once

#include "core/serial/Port.h"
#include "core/serial/PortSettings.h"
#include "core/serial/RemoteAddress.h"
#include "core/serial/RemoteError.h"
#include "core/serial/TcpConnection.h"
#include "core/serial/TelnetCodec.h"
#include "core/serial/TelnetOptions.h"

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

namespace tovan {

// A serial port served across the network by telnet with serial port control (RFC 2217), as
// ser2net serves it: "rfc2217://HOST:PORT". Opening negotiates BINARY both ways (every byte
// value passes), SUPPRESS-GO-AHEAD and COM-PORT-OPTION; configuring sends the baud rate, 8 data
// bits, parity, stop bits and flow control and checks the server's answer to each, then purges
// the server's buffers and drops what the device sent before. Data bytes 0xFF are doubled on the
// way out and undone on the way in; the server's notifications of modem and line state are
// read and kept.
//
// The reader thread calls read(); the writer thread writeAll(), waitUntilSent(), purge() and
// bytesUnsent(). Answers the reader owes the server go out between the writer's frames, never
// inside one.
class Rfc2217Port : public Port {
public:
    // How long the server may take to answer the negotiation, and to confirm the settings.
    static constexpr std::chrono::milliseconds ANSWER_TIMEOUT{2000};
    // How much longer a server that does not confirm purges is waited for.
    static constexpr std::chrono::milliseconds PURGE_GRACE{250};

    explicit Rfc2217Port(std::chrono::milliseconds connectTimeout);
    ~Rfc2217Port() override;
    Rfc2217Port(const Rfc2217Port&) = delete;
    Rfc2217Port& operator=(const Rfc2217Port&) = delete;

    // Takes the whole port name, "rfc2217://HOST:PORT".
    int open(const std::string& portName) override;
    int configure(const DcbTemplate& settings) override;
    int purge(unsigned flags) override;
    int pollFd() const override { return m_connection.fd(); }
    int read(std::uint8_t* buffer, std::size_t capacity, std::size_t& got, short events) override;
    int writeAll(const std::uint8_t* bytes, std::size_t length, int cancelFd) override;
    // What the kernel's send queue still holds, within the frame's time on the line + 100 ms.
    bool waitUntilSent(std::size_t length, int cancelFd) const override;
    std::size_t bytesUnsent() const override { return m_connection.unsent(); }
    void close() override;
    bool isOpen() const override { return m_connection.isOpen(); }

    // The modem state and line state the server reported last (RFC 2217 bit masks: CTS 0x10,
    // DSR 0x20, RI 0x40, CD 0x80; data ready 0x01, overrun 0x02, ...).
    std::uint8_t modemState() const { return m_modemState; }
    std::uint8_t lineState() const { return m_lineState; }

private:
    using Clock = std::chrono::steady_clock;

    void handleEvent(const TelnetCodec::Event& event);
    void handleComPort(const std::uint8_t* payload, std::size_t length);
    // Reads, drops data and answers until `done` holds right after an event (0), the deadline
    // passes (ETIMEDOUT) or the connection fails. What follows that event stays unread.
    int converse(Clock::time_point deadline, const std::function<bool()>& done);
    // Sends the answers decided while decoding: on the reader's thread without waiting.
    void sendReplies(Clock::time_point deadline);
    // Queues a control command and sends what is queued, until `deadline`.
    int sendControl(const std::vector<std::uint8_t>& command, Clock::time_point deadline);
    // With m_sendMutex held: sends m_outgoing until it is empty, `cancelFd` fires or
    // `deadline` passes; whatever is left goes first next time.
    int drain(int cancelFd, Clock::time_point deadline);
    void takeDeferred();
    int connectAgainWhileTurnedAway(int error);
    int negotiateOptions();
    int applySettings(const std::array<std::uint32_t, SETTING_COUNT>& wanted);
    int checkAnswers(const std::array<std::uint32_t, SETTING_COUNT>& wanted) const;

    std::chrono::milliseconds m_connectTimeout;
    RemoteAddress m_address;
    Clock::time_point m_openedAt;
    TcpConnection m_connection;
    TelnetCodec m_codec;
    TelnetOptions m_options;
    DcbTemplate m_settings;
    bool m_heardTelnet = false;

    // The server's answers to the settings; used while configuring, and by the reader after.
    std::array<bool, SETTING_COUNT> m_answered{};
    std::array<std::uint32_t, SETTING_COUNT> m_answers{};
    bool m_purgeConfirmed = false;
    std::atomic<bool> m_justPurged{false}; // both buffers, confirmed, nothing read or sent since
    std::vector<std::uint8_t> m_replies;
    std::atomic<std::uint8_t> m_modemState{0};
    std::atomic<std::uint8_t> m_lineState{0};

    std::mutex m_sendMutex;               // one sender at a time, whole telnet units
    std::vector<std::uint8_t> m_outgoing; // with m_sendMutex
    std::mutex m_deferredMutex;           // answers the reader could not send itself
    std::vector<std::uint8_t> m_deferred;
};

} // namespace tovan
