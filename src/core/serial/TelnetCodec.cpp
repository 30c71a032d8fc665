#include "core/serial/TelnetCodec.h"

namespace tovan {

using namespace telnet;

void TelnetCodec::reset() {
    m_state = State::Data;
    m_subLength = 0;
}

TelnetCodec::Decoded TelnetCodec::decode(std::uint8_t* bytes, std::size_t length,
                                         const EventSink& sink) {
    // Every data byte written takes at least one byte read, so writing never overtakes reading.
    std::size_t out = 0;
    std::size_t in = 0;
    bool go = true;
    while (in < length && go) {
        const std::uint8_t b = bytes[in++];
        switch (m_state) {
        case State::Data:
            if (b == IAC)
                m_state = State::Iac;
            else
                bytes[out++] = b;
            break;
        case State::Iac:
            if (b == IAC) {
                bytes[out++] = IAC;
                m_state = State::Data;
            } else {
                go = afterIac(b, sink);
            }
            break;
        case State::Verb:
            m_state = State::Data;
            go = sink(Event{m_verb, b, nullptr, 0});
            break;
        case State::SubOption:
            m_option = b;
            m_subLength = 0;
            m_state = State::Sub;
            break;
        case State::Sub:
            if (b == IAC)
                m_state = State::SubIac;
            else if (m_subLength < m_sub.size())
                m_sub[m_subLength++] = b;
            break;
        case State::SubIac:
            if (b == IAC) {
                if (m_subLength < m_sub.size())
                    m_sub[m_subLength++] = IAC;
                m_state = State::Sub;
            } else if (b == SE) {
                go = endSubnegotiation(sink);
            } else {
                // A command inside a subnegotiation ends it; the command still counts, also
                // when the sink stops right after the subnegotiation.
                go = endSubnegotiation(sink);
                if (go) {
                    go = afterIac(b, sink);
                } else {
                    m_state = State::Iac;
                    --in;
                }
            }
            break;
        }
    }
    return {in, out};
}

bool TelnetCodec::afterIac(std::uint8_t b, const EventSink& sink) {
    m_state = State::Data;
    if (b >= WILL && b <= DONT) {
        m_verb = b;
        m_state = State::Verb;
        return true;
    }
    if (b == SB) {
        m_state = State::SubOption;
        return true;
    }
    // A stray SE, or a byte that is no command at all, is dropped.
    if (b <= SE)
        return true;
    return sink(Event{b, 0, nullptr, 0});
}

bool TelnetCodec::endSubnegotiation(const EventSink& sink) {
    m_state = State::Data;
    return sink(Event{SB, m_option, m_sub.data(), m_subLength});
}

void TelnetCodec::escape(const std::uint8_t* bytes, std::size_t length,
                         std::vector<std::uint8_t>& out) {
    out.reserve(out.size() + length + 8);
    for (std::size_t i = 0; i < length; ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == IAC)
            out.push_back(IAC);
    }
}

void TelnetCodec::appendNegotiation(std::vector<std::uint8_t>& out, std::uint8_t verb,
                                    std::uint8_t option) {
    out.insert(out.end(), {IAC, verb, option});
}

void TelnetCodec::appendSubnegotiation(std::vector<std::uint8_t>& out, std::uint8_t option,
                                       const std::uint8_t* payload, std::size_t length) {
    out.insert(out.end(), {IAC, SB, option});
    escape(payload, length, out);
    out.insert(out.end(), {IAC, SE});
}

} // namespace tovan
