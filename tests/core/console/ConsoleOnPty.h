#pragma once

// What the console tests share: the traffic colours, a console on a pseudo-terminal, the bytes
// of the sample telegrams, and text messages to the console.
#include "core/console/ModuleConsole.h"
#include "core/hub/ConsoleMessage.h"
#include "core/serial/SerialChannel.h"
#include "core/wmbus/TestTelegrams.h"
#include "tests/support/ConsoleHarness.h"
#include "tests/support/PtyPair.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovan::test {

using Bytes = std::vector<std::uint8_t>;

constexpr Colour RX = 0x0025C8;
constexpr Colour TX = 0x008B00;
constexpr Colour DECODED = 0xCD0000;

// A console of one family on its own channel, with a pseudo-terminal as its port.
struct ConsoleOnPty {
    explicit ConsoleOnPty(ModuleFamily family) : channel(family), harness(family, &channel) {
        harness.portAnswer = pty.slavePath();
        harness.console().choosePort();
    }
    bool open() {
        harness.console().openPort();
        return harness.console().portOpen();
    }
    void send(const Bytes& frame) {
        harness.console().deliver(CD_SEND_FRAME, frame.data(), frame.size());
    }
    bool waitForLines(std::size_t count) {
        return harness.runUntil([&] { return harness.lines.size() >= count; });
    }

    PtyPair pty;
    SerialChannel channel;
    ConsoleHarness harness;
};

inline Bytes telegramBytes(int sample) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < testTelegram(sample).size(); i += 3)
        bytes.push_back(static_cast<std::uint8_t>(
            std::stoi(std::string(testTelegram(sample).substr(i, 2)), nullptr, 16)));
    return bytes;
}

inline void deliverText(ModuleConsole& console, std::uint32_t code, const std::string& text) {
    console.deliver(code, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

} // namespace tovan::test
