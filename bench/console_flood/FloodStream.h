#pragma once

#include "core/frames/ModuleFamily.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tovan::bench {

using Bytes = std::vector<std::uint8_t>;

// The frames a simulated module sends, one after the other, each different from the others so
// that a lost or garbled frame shows, with the hex text the console must show and log for each.
struct FloodStream {
    Bytes bytes;
    std::vector<std::size_t> frameEnds;
    std::vector<std::string> hex;

    std::size_t frames() const { return frameEnds.size(); }
    double bytesPerFrame() const;
    void add(const Bytes& frame);
};

// Numbered five-byte VX31 frames.
FloodStream vx31Stream(std::uint64_t frames);
// The sample telegrams, each with a running number in its access number and the byte after.
FloodStream vm77Stream(std::uint64_t telegrams);

// A child process that writes the stream into `master` in pieces of random length (frames are
// split anywhere), as fast as the terminal takes them, or at `bytesPerSecond`; paced, it waits
// for the line only between frames.
pid_t startModule(int master, const FloodStream& stream, long bytesPerSecond);

} // namespace tovan::bench
