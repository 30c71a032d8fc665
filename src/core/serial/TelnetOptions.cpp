#include "core/serial/TelnetOptions.h"

#include "core/serial/TelnetCodec.h"

namespace tovan {

using namespace telnet;

namespace {

bool wantLocal(std::uint8_t option) {
    return option == BINARY || option == SGA || option == COM_PORT;
}

bool wantRemote(std::uint8_t option) {
    return option == BINARY || option == SGA;
}

} // namespace

TelnetOptions::TelnetOptions() {
    reset();
}

void TelnetOptions::reset() {
    m_local.fill(State::Off);
    m_remote.fill(State::Off);
    m_localRefused.fill(false);
    m_remoteRefused.fill(false);
}

void TelnetOptions::start(std::vector<std::uint8_t>& out) {
    for (const std::uint8_t option : {COM_PORT, BINARY, SGA}) {
        m_local[option] = State::Asked;
        TelnetCodec::appendNegotiation(out, WILL, option);
    }
    for (const std::uint8_t option : {BINARY, SGA}) {
        m_remote[option] = State::Asked;
        TelnetCodec::appendNegotiation(out, DO, option);
    }
}

void TelnetOptions::receive(std::uint8_t verb, std::uint8_t option,
                            std::vector<std::uint8_t>& out) {
    switch (verb) {
    case DO:
    case DONT:
        take(m_local[option], m_localRefused[option], wantLocal(option), verb == DO, WILL, WONT,
             option, out);
        break;
    case WILL:
    case WONT:
        take(m_remote[option], m_remoteRefused[option], wantRemote(option), verb == WILL, DO, DONT,
             option, out);
        break;
    default:
        break;
    }
}

void TelnetOptions::take(State& state, bool& refused, bool agree, bool on, std::uint8_t yes,
                         std::uint8_t no, std::uint8_t option, std::vector<std::uint8_t>& out) {
    if (on) {
        if (state == State::On)
            return;
        if (state == State::Asked) { // the answer to our request
            state = State::On;
            return;
        }
        // A request of the other end.
        if (agree) {
            state = State::On;
            refused = false;
        }
        TelnetCodec::appendNegotiation(out, agree ? yes : no, option);
        return;
    }
    if (state == State::Off)
        return;
    if (state == State::Asked)
        refused = true;
    else
        TelnetCodec::appendNegotiation(out, no, option); // it was on: acknowledge
    state = State::Off;
}

} // namespace tovan
