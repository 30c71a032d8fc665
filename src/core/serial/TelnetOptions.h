#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tovan {

// The option negotiation of the client side of a serial port served by telnet: this end will
// and the other end may use BINARY (every byte value passes as it is) and SUPPRESS-GO-AHEAD;
// this end will use COM-PORT-OPTION (the serial port control of RFC 2217). Every other option
// is refused. An option is answered only when its state changes, so two ends that both
// answer every request never loop.
class TelnetOptions {
public:
    TelnetOptions();

    // Appends the requests that open the negotiation.
    void start(std::vector<std::uint8_t>& out);
    // Takes WILL, WONT, DO or DONT for `option` and appends the answer, if one is due.
    void receive(std::uint8_t verb, std::uint8_t option, std::vector<std::uint8_t>& out);
    // Forgets everything (a new connection).
    void reset();

    // This end uses the option (the other end said DO).
    bool localOn(std::uint8_t option) const { return m_local[option] == State::On; }
    // The other end uses the option (it said WILL).
    bool remoteOn(std::uint8_t option) const { return m_remote[option] == State::On; }
    // The other end refused what this end asked for.
    bool localRefused(std::uint8_t option) const { return m_localRefused[option]; }
    bool remoteRefused(std::uint8_t option) const { return m_remoteRefused[option]; }

private:
    enum class State : std::uint8_t { Off, Asked, On };

    // One side of an option told on (`on`) or off by the other end: `agree` tells whether this
    // end lets it be on; `yes` and `no` are the verbs this end answers with for that side.
    static void take(State& state, bool& refused, bool agree, bool on, std::uint8_t yes,
                     std::uint8_t no, std::uint8_t option, std::vector<std::uint8_t>& out);

    std::array<State, 256> m_local{};
    std::array<State, 256> m_remote{};
    std::array<bool, 256> m_localRefused{};
    std::array<bool, 256> m_remoteRefused{};
};

} // namespace tovan
