#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace tovan {

namespace telnet {
constexpr std::uint8_t IAC = 255;
constexpr std::uint8_t DONT = 254;
constexpr std::uint8_t DO = 253;
constexpr std::uint8_t WONT = 252;
constexpr std::uint8_t WILL = 251;
constexpr std::uint8_t SB = 250;
constexpr std::uint8_t SE = 240;

constexpr std::uint8_t BINARY = 0;
constexpr std::uint8_t ECHO = 1;
constexpr std::uint8_t SGA = 3;
constexpr std::uint8_t COM_PORT = 44;
} // namespace telnet

// The byte stream of a telnet connection: data bytes, with 0xFF doubled, and commands that
// start with IAC (0xFF): option negotiation (WILL, WONT, DO, DONT), subnegotiation
// (IAC SB option ... IAC SE) and the one-byte commands. The decoder keeps a sequence that a
// read cut in two until its rest arrives, so the stream may be split anywhere.
class TelnetCodec {
public:
    // What the other end said besides data.
    struct Event {
        std::uint8_t command = 0; // WILL, WONT, DO, DONT, SB, or a one-byte command (NOP, ...)
        std::uint8_t option = 0;  // for WILL ... DONT and SB
        const std::uint8_t* payload = nullptr; // SB: the bytes after the option, IAC IAC undone
        std::size_t length = 0;
    };
    // Told of each event in stream order; returns false to stop decoding right after it.
    using EventSink = std::function<bool(const Event&)>;

    // Longer subnegotiations (a server's signature text) are cut to this many payload bytes.
    static constexpr std::size_t MAX_SUBNEGOTIATION = 64;

    struct Decoded {
        std::size_t consumed = 0; // received bytes taken (all of them unless the sink stopped)
        std::size_t data = 0;     // data bytes now at the front of the buffer
    };

    // Decodes received bytes in place: the data bytes among them end up, in order, at the
    // front of `bytes`; everything else is taken out and told to `sink`.
    Decoded decode(std::uint8_t* bytes, std::size_t length, const EventSink& sink);

    // Forgets a sequence in progress (a new connection).
    void reset();

    // Appends the data bytes with every 0xFF doubled.
    static void escape(const std::uint8_t* bytes, std::size_t length,
                       std::vector<std::uint8_t>& out);
    // Appends IAC verb option.
    static void appendNegotiation(std::vector<std::uint8_t>& out, std::uint8_t verb,
                                  std::uint8_t option);
    // Appends IAC SB option payload IAC SE, 0xFF in the payload doubled.
    static void appendSubnegotiation(std::vector<std::uint8_t>& out, std::uint8_t option,
                                     const std::uint8_t* payload, std::size_t length);

private:
    enum class State { Data, Iac, Verb, SubOption, Sub, SubIac };

    // One byte after IAC; false when the sink asked to stop.
    bool afterIac(std::uint8_t b, const EventSink& sink);
    bool endSubnegotiation(const EventSink& sink);

    State m_state = State::Data;
    std::uint8_t m_verb = 0;
    std::uint8_t m_option = 0;
    std::array<std::uint8_t, MAX_SUBNEGOTIATION> m_sub{};
    std::size_t m_subLength = 0;
};

} // namespace tovan
