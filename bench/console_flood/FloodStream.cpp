#include "bench/console_flood/FloodStream.h"

#include "core/frames/CHexCodec.h"
#include "core/frames/FrameBuilder.h"
#include "core/frames/HexInput.h"
#include "core/wmbus/TestTelegrams.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>
#include <unistd.h>

namespace tovan::bench {

double FloodStream::bytesPerFrame() const {
    return frames() ? static_cast<double>(bytes.size()) / static_cast<double>(frames()) : 0.0;
}

void FloodStream::add(const Bytes& frame) {
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    frameEnds.push_back(bytes.size());
    std::string text;
    CHexCodec().BytesToHex(frame.data(), frame.size(), text);
    hex.push_back(std::move(text));
}

FloodStream vx31Stream(std::uint64_t frames) {
    FloodStream stream;
    stream.bytes.reserve(frames * 5);
    for (std::uint64_t i = 0; i < frames; ++i)
        stream.add(
            frame::buildVx31Frame(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8)));
    return stream;
}

FloodStream vm77Stream(std::uint64_t telegrams) {
    Bytes samples[TEST_TELEGRAM_COUNT];
    for (int i = 0; i < TEST_TELEGRAM_COUNT; ++i)
        parseHexInput(testTelegram(i), samples[i]);
    FloodStream stream;
    for (std::uint64_t i = 0; i < telegrams; ++i) {
        Bytes telegram = samples[i % TEST_TELEGRAM_COUNT];
        // Bytes 11 and 12 come after the link layer the console decodes: numbering them changes
        // neither the meter nor the fields shown.
        telegram[11] = static_cast<std::uint8_t>(i);
        telegram[12] = static_cast<std::uint8_t>(i >> 8);
        stream.add(telegram);
    }
    return stream;
}

pid_t startModule(int master, const FloodStream& stream, long bytesPerSecond) {
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    std::mt19937 random(7);
    const auto start = std::chrono::steady_clock::now();
    std::size_t done = 0;
    while (done < stream.bytes.size()) {
        std::size_t piece = std::min<std::size_t>(1 + random() % 4096, stream.bytes.size() - done);
        if (bytesPerSecond > 0) {
            const double elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const auto due =
                static_cast<std::size_t>(elapsed * static_cast<double>(bytesPerSecond));
            if (due <= done) {
                std::this_thread::sleep_for(std::chrono::microseconds(500));
                continue;
            }
            if (piece >= due - done) {
                // Ahead of the line: the module waits, but only between frames, as a real one
                // does; a wait inside a frame would be a pause the receiver rightly acts on.
                const auto end =
                    std::lower_bound(stream.frameEnds.begin(), stream.frameEnds.end(), due);
                piece = (end == stream.frameEnds.end() ? stream.bytes.size() : *end) - done;
            }
        }
        const ssize_t n = ::write(master, stream.bytes.data() + done, piece);
        if (n > 0)
            done += static_cast<std::size_t>(n);
    }
    ::_exit(0);
}

} // namespace tovan::bench
