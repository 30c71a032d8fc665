#include "core/serial/Rfc2217Port.h"

#include "core/serial/LineTime.h"
#include "core/serial/RemoteAddress.h"

#include <cerrno>
#include <thread>

namespace tovan {
namespace {

using namespace telnet;

// Commands of the client; the server answers with the same code plus 100.
constexpr std::uint8_t SIGNATURE = 0;
constexpr std::uint8_t SET_BAUDRATE = 1;
constexpr std::uint8_t SET_DATASIZE = 2;
constexpr std::uint8_t SET_PARITY = 3;
constexpr std::uint8_t SET_STOPSIZE = 4;
constexpr std::uint8_t SET_CONTROL = 5;
constexpr std::uint8_t NOTIFY_LINESTATE = 6;
constexpr std::uint8_t NOTIFY_MODEMSTATE = 7;
constexpr std::uint8_t PURGE_DATA = 12;
constexpr std::uint8_t SERVER = 100;

// SET-CONTROL values.
constexpr std::uint8_t FLOW_NONE = 1;
constexpr std::uint8_t FLOW_XON_XOFF = 2;
constexpr std::uint8_t FLOW_HARDWARE = 3;
constexpr std::uint8_t DTR_ON = 8;
constexpr std::uint8_t DTR_OFF = 9;
constexpr std::uint8_t RTS_ON = 11;
constexpr std::uint8_t RTS_OFF = 12;

// PURGE-DATA values: the server's buffer of what the device sent (our input), of what goes to
// the device (our output), or both.
constexpr std::uint8_t PURGE_RECEIVED = 1;
constexpr std::uint8_t PURGE_TO_SEND = 2;

constexpr char OUR_SIGNATURE[] = "TOVAN Commander";

void appendCommand(std::vector<std::uint8_t>& out, std::uint8_t command, const std::uint8_t* value,
                   std::size_t length) {
    std::vector<std::uint8_t> payload{command};
    payload.insert(payload.end(), value, value + length);
    TelnetCodec::appendSubnegotiation(out, COM_PORT, payload.data(), payload.size());
}

void appendCommand(std::vector<std::uint8_t>& out, std::uint8_t command,
                   std::initializer_list<std::uint8_t> value) {
    appendCommand(out, command, value.begin(), value.size());
}

// What to ask for, by setting; 0 for a setting that cannot be sent (EINVAL).
std::array<std::uint32_t, SETTING_COUNT> wantedValues(const DcbTemplate& settings) {
    std::array<std::uint32_t, SETTING_COUNT> wanted{};
    wanted[SETTING_BAUD_RATE] = settings.BaudRate;
    wanted[SETTING_DATA_SIZE] = 8;
    wanted[SETTING_PARITY] = settings.Parity <= SPACEPARITY ? settings.Parity + 1u : 0u;
    wanted[SETTING_STOP_BITS] = settings.StopBits == ONESTOPBIT    ? 1u
                                : settings.StopBits == TWOSTOPBITS ? 2u
                                                                   : 0u;
    wanted[SETTING_FLOW_CONTROL] = settings.fOutxCtsFlow && settings.usesRtsCts() ? FLOW_HARDWARE
                                   : settings.fOutX || settings.fInX              ? FLOW_XON_XOFF
                                                                                  : FLOW_NONE;
    return wanted;
}

// The settings, then the modem lines as the settings drive them (a pseudo-terminal behind the
// server has none and the server then answers nothing: these are not waited for), then a purge
// of both of the server's buffers.
std::vector<std::uint8_t> settingCommands(const std::array<std::uint32_t, SETTING_COUNT>& wanted,
                                          const DcbTemplate& settings) {
    std::vector<std::uint8_t> out;
    const std::uint32_t baud = wanted[SETTING_BAUD_RATE];
    appendCommand(out, SET_BAUDRATE,
                  {static_cast<std::uint8_t>(baud >> 24), static_cast<std::uint8_t>(baud >> 16),
                   static_cast<std::uint8_t>(baud >> 8), static_cast<std::uint8_t>(baud)});
    appendCommand(out, SET_DATASIZE, {static_cast<std::uint8_t>(wanted[SETTING_DATA_SIZE])});
    appendCommand(out, SET_PARITY, {static_cast<std::uint8_t>(wanted[SETTING_PARITY])});
    appendCommand(out, SET_STOPSIZE, {static_cast<std::uint8_t>(wanted[SETTING_STOP_BITS])});
    appendCommand(out, SET_CONTROL, {static_cast<std::uint8_t>(wanted[SETTING_FLOW_CONTROL])});
    appendCommand(out, SET_CONTROL,
                  {settings.fDtrControl == DTR_CONTROL_ENABLE ? DTR_ON : DTR_OFF});
    if (settings.fRtsControl != RTS_CONTROL_HANDSHAKE)
        appendCommand(out, SET_CONTROL,
                      {settings.fRtsControl == RTS_CONTROL_ENABLE ? RTS_ON : RTS_OFF});
    appendCommand(out, PURGE_DATA, {PURGE_RECEIVED | PURGE_TO_SEND});
    return out;
}

} // namespace

Rfc2217Port::Rfc2217Port(std::chrono::milliseconds connectTimeout)
    : m_connectTimeout(connectTimeout) {}

Rfc2217Port::~Rfc2217Port() {
    close();
}

int Rfc2217Port::open(const std::string& portName) {
    close();
    if (!RemoteAddress::parse(portName, m_address) ||
        m_address.protocol != RemoteAddress::Protocol::Rfc2217)
        return REMOTE_BAD_ADDRESS;
    m_openedAt = Clock::now();
    return connectAgainWhileTurnedAway(0);
}

// Connects and negotiates; when `error` (or the attempt) is a server turning this client away
// because its device is not free yet, waits a moment and tries again, within the time allowed.
int Rfc2217Port::connectAgainWhileTurnedAway(int error) {
    for (;;) {
        if (error != 0) {
            close();
            if (!TcpConnection::worthRetrying(error, Clock::now() - m_openedAt, m_connectTimeout))
                return error;
            std::this_thread::sleep_for(TcpConnection::TURN_AWAY_PAUSE);
        }
        error = m_connection.connect(m_address.host, m_address.port, m_connectTimeout);
        if (error == 0)
            error = negotiateOptions();
        if (error == 0)
            return 0;
    }
}

int Rfc2217Port::negotiateOptions() {
    std::vector<std::uint8_t> requests;
    m_options.start(requests);
    const Clock::time_point deadline = Clock::now() + ANSWER_TIMEOUT;
    if (const int error = sendControl(requests, deadline))
        return error;
    const auto decided = [this](std::uint8_t option, bool local) {
        return local ? m_options.localOn(option) || m_options.localRefused(option)
                     : m_options.remoteOn(option) || m_options.remoteRefused(option);
    };
    const int error = converse(deadline, [&] {
        return m_options.localRefused(COM_PORT) ||
               (decided(COM_PORT, true) && decided(BINARY, true) && decided(BINARY, false));
    });
    if (error == ETIMEDOUT && !m_heardTelnet)
        return REMOTE_NO_TELNET;
    if (error != 0 && error != ETIMEDOUT)
        return error;
    if (!m_options.localOn(COM_PORT))
        return REMOTE_NO_PORT_CONTROL;
    if (!m_options.localOn(BINARY) || !m_options.remoteOn(BINARY))
        return REMOTE_NO_BINARY;
    return 0;
}

int Rfc2217Port::configure(const DcbTemplate& settings) {
    const auto wanted = wantedValues(settings);
    for (const std::uint32_t value : wanted)
        if (value == 0)
            return EINVAL; // a baud rate of 0, or parity or stop bits the line cannot have
    m_settings = settings;
    // ser2net may accept the connection and the negotiation before it finds its device still
    // held by the client before: then it hangs up now.
    for (;;) {
        const int error = applySettings(wanted);
        if (error == 0)
            return 0;
        if (const int again = connectAgainWhileTurnedAway(error))
            return again;
    }
}

int Rfc2217Port::applySettings(const std::array<std::uint32_t, SETTING_COUNT>& wanted) {
    const DcbTemplate& settings = m_settings;
    m_answered.fill(false);
    m_purgeConfirmed = false;
    const Clock::time_point deadline = Clock::now() + ANSWER_TIMEOUT;
    if (const int error = sendControl(settingCommands(wanted, settings), deadline))
        return error;
    // Done when every setting is answered, or one is answered with another value.
    const auto settled = [&] {
        bool all = true;
        for (int setting = 0; setting < SETTING_COUNT; ++setting) {
            if (m_answered[setting] && m_answers[setting] != wanted[setting])
                return true;
            all = all && m_answered[setting];
        }
        return all;
    };
    int error = converse(deadline, settled);
    if (error != 0 && error != ETIMEDOUT)
        return error;
    if (const int refused = checkAnswers(wanted))
        return refused;
    // What the device sent before the purge is dropped, up to the server's confirmation.
    error = converse(std::min(deadline, Clock::now() + PURGE_GRACE),
                     [this] { return m_purgeConfirmed; });
    m_justPurged = m_purgeConfirmed;
    return error == ETIMEDOUT ? 0 : error;
}

int Rfc2217Port::checkAnswers(const std::array<std::uint32_t, SETTING_COUNT>& wanted) const {
    for (int setting = 0; setting < SETTING_COUNT; ++setting)
        if (m_answered[setting] && m_answers[setting] != wanted[setting])
            return REMOTE_SETTING_REFUSED + setting;
    for (int setting = 0; setting < SETTING_COUNT; ++setting)
        if (!m_answered[setting])
            return REMOTE_SETTING_UNCONFIRMED + setting;
    return 0;
}

int Rfc2217Port::converse(Clock::time_point deadline, const std::function<bool()>& done) {
    std::array<std::uint8_t, 4096> buffer{};
    while (!done()) {
        if (!m_connection.waitReadable(deadline))
            return ETIMEDOUT;
        // Peeked, so that only the bytes up to the event that completes the exchange are
        // taken; data after it is the device's and stays for read().
        std::size_t got = 0;
        if (const int error = m_connection.receive(buffer.data(), buffer.size(), got, true))
            return error;
        const TelnetCodec::Decoded decoded =
            m_codec.decode(buffer.data(), got, [&](const TelnetCodec::Event& event) {
                handleEvent(event);
                return !done();
            });
        std::size_t taken = 0;
        m_connection.receive(buffer.data(), decoded.consumed, taken);
        sendReplies(deadline);
    }
    return 0;
}

void Rfc2217Port::handleEvent(const TelnetCodec::Event& event) {
    m_heardTelnet = true;
    if (event.command >= WILL && event.command <= DONT)
        m_options.receive(event.command, event.option, m_replies);
    else if (event.command == SB && event.option == COM_PORT)
        handleComPort(event.payload, event.length);
}

void Rfc2217Port::handleComPort(const std::uint8_t* payload, std::size_t length) {
    if (length == 0 || payload[0] < SERVER)
        return;
    const std::uint8_t command = payload[0] - SERVER;
    const std::uint8_t value = length > 1 ? payload[1] : 0;
    const auto answer = [&](RemoteSetting setting, std::uint32_t answered) {
        m_answered[setting] = true;
        m_answers[setting] = answered;
    };
    switch (command) {
    case SIGNATURE:
        if (length == 1) // the server asks who we are
            appendCommand(m_replies, SIGNATURE,
                          reinterpret_cast<const std::uint8_t*>(OUR_SIGNATURE),
                          sizeof OUR_SIGNATURE - 1);
        break;
    case SET_BAUDRATE:
        if (length >= 5)
            answer(SETTING_BAUD_RATE, static_cast<std::uint32_t>(payload[1]) << 24 |
                                          static_cast<std::uint32_t>(payload[2]) << 16 |
                                          static_cast<std::uint32_t>(payload[3]) << 8 | payload[4]);
        break;
    case SET_DATASIZE:
        answer(SETTING_DATA_SIZE, value);
        break;
    case SET_PARITY:
        answer(SETTING_PARITY, value);
        break;
    case SET_STOPSIZE:
        answer(SETTING_STOP_BITS, value);
        break;
    case SET_CONTROL:
        if (value <= FLOW_HARDWARE) // the answers about break, DTR and RTS are not waited for
            answer(SETTING_FLOW_CONTROL, value);
        break;
    case NOTIFY_LINESTATE:
        m_lineState = value;
        break;
    case NOTIFY_MODEMSTATE:
        m_modemState = value;
        break;
    case PURGE_DATA:
        m_purgeConfirmed = true;
        break;
    default: // flow control suspend and resume concern the server's own buffers
        break;
    }
}

int Rfc2217Port::read(std::uint8_t* buffer, std::size_t capacity, std::size_t& got, short) {
    got = 0;
    m_justPurged = false;
    std::size_t received = 0;
    if (const int error = m_connection.receive(buffer, capacity, received))
        return error; // REMOTE_CLOSED, ECONNRESET, ETIMEDOUT, ...
    got = m_codec
              .decode(buffer, received,
                      [this](const TelnetCodec::Event& event) {
                          handleEvent(event);
                          return true;
                      })
              .data;
    if (!m_replies.empty())
        sendReplies(Clock::now());
    return 0;
}

void Rfc2217Port::sendReplies(Clock::time_point deadline) {
    if (m_replies.empty())
        return;
    {
        std::lock_guard<std::mutex> lock(m_deferredMutex);
        m_deferred.insert(m_deferred.end(), m_replies.begin(), m_replies.end());
    }
    m_replies.clear();
    // The writer may be in the middle of a frame: then it sends the answers after it.
    std::unique_lock<std::mutex> lock(m_sendMutex, std::try_to_lock);
    if (!lock.owns_lock())
        return;
    takeDeferred();
    drain(-1, deadline);
}

void Rfc2217Port::takeDeferred() {
    std::lock_guard<std::mutex> lock(m_deferredMutex);
    m_outgoing.insert(m_outgoing.end(), m_deferred.begin(), m_deferred.end());
    m_deferred.clear();
}

int Rfc2217Port::drain(int cancelFd, Clock::time_point deadline) {
    std::size_t sent = 0;
    const int error =
        m_connection.send(m_outgoing.data(), m_outgoing.size(), sent, cancelFd, deadline);
    m_outgoing.erase(m_outgoing.begin(), m_outgoing.begin() + static_cast<long>(sent));
    return error;
}

int Rfc2217Port::sendControl(const std::vector<std::uint8_t>& command, Clock::time_point deadline) {
    std::lock_guard<std::mutex> lock(m_sendMutex);
    takeDeferred();
    m_outgoing.insert(m_outgoing.end(), command.begin(), command.end());
    return drain(-1, deadline);
}

int Rfc2217Port::writeAll(const std::uint8_t* bytes, std::size_t length, int cancelFd) {
    m_justPurged = false;
    std::lock_guard<std::mutex> lock(m_sendMutex);
    takeDeferred();
    TelnetCodec::escape(bytes, length, m_outgoing);
    return drain(cancelFd, Clock::time_point::max());
}

int Rfc2217Port::purge(unsigned flags) {
    std::uint8_t which = 0;
    if (flags & (PURGE_RXABORT | PURGE_RXCLEAR))
        which |= PURGE_RECEIVED;
    if (flags & (PURGE_TXABORT | PURGE_TXCLEAR))
        which |= PURGE_TO_SEND;
    // Opening purges once more right after configuring. The server has just purged both of
    // its buffers and said so; a second purge, carried out by the server a little later, would
    // throw away what the device sent meanwhile.
    if (which == 0 || !isOpen() || m_justPurged)
        return 0;
    std::vector<std::uint8_t> command;
    appendCommand(command, PURGE_DATA, {which});
    // A server that takes nothing now gets the purge ahead of the next frame.
    const int error = sendControl(command, Clock::now() + std::chrono::milliseconds(100));
    return error == ETIMEDOUT ? 0 : error;
}

bool Rfc2217Port::waitUntilSent(std::size_t length, int cancelFd) const {
    return m_connection.waitUntilAcknowledged(
        Clock::now() + lineTime(length, m_settings) + std::chrono::milliseconds(100), cancelFd);
}

void Rfc2217Port::close() {
    m_connection.close(true);
    m_codec.reset();
    m_options.reset();
    m_heardTelnet = false;
    m_justPurged = false;
    m_replies.clear();
    std::lock_guard<std::mutex> lock(m_sendMutex);
    m_outgoing.clear();
    std::lock_guard<std::mutex> deferredLock(m_deferredMutex);
    m_deferred.clear();
}

} // namespace tovan
