#pragma once

// What the serial channel's tests share: line settings, numbered frames, and a port opened on
// a pseudo-terminal whose master side plays the module.
#include "core/frames/FrameBuilder.h"
#include "core/serial/SerialChannel.h"
#include "tests/support/PtyPair.h"
#include "tests/support/RecordingEndpoint.h"

#include <cstdint>
#include <poll.h>
#include <sys/resource.h>
#include <vector>

namespace tovan::test {

using Bytes = std::vector<std::uint8_t>;

inline DcbTemplate lineSettings() {
    DcbTemplate dcb;
    dcb.BaudRate = 115200;
    return dcb;
}

inline Bytes vx31Frame(std::uint16_t sequence, std::size_t dataBytes = 2) {
    Bytes data;
    for (std::size_t i = 0; i < dataBytes; ++i)
        data.push_back(static_cast<std::uint8_t>(i < 2 ? (sequence >> (8 * i)) : i));
    return frame::buildVx31Frame(0x01, 0x02, data);
}

inline bool masterHasData(const PtyPair& pty) {
    pollfd pfd{pty.masterFd(), POLLIN, 0};
    return ::poll(&pfd, 1, 0) > 0;
}

inline double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct OpenPort {
    OpenPort(SerialChannel& channel, RecordingEndpoint& owner) : channel(channel) {
        result = channel.OpenPort(pty.slavePath(), lineSettings(), owner, slot);
    }
    ~OpenPort() {
        if (result == 0)
            channel.ClosePort(slot);
    }
    SerialChannel& channel;
    PtyPair pty;
    std::uint8_t slot = SerialChannel::NO_PORT;
    std::uint32_t result = 0;
};

} // namespace tovan::test
