// Received byte streams with their arrival times, through both families' frame assemblers.
//
// Input: one byte choosing the family (low bit: 0 first family, 1 second), four bytes of the
// starting clock (so the millisecond clock may wrap), then pairs of (byte, milliseconds since
// the byte before).
#include "FuzzCheck.h"
#include "frames/FrameLayout.h"
#include "serial/FrameAssembler.h"

#include <cstring>
#include <vector>

using namespace tovan;

namespace {

struct Arrival {
    std::uint8_t byte;
    std::uint32_t timeMs;
};

struct Delivered {
    std::vector<std::uint8_t> bytes;
    std::size_t lastInput; // index of the arrival that completed the frame
    bool operator==(const Delivered& other) const {
        return bytes == other.bytes && lastInput == other.lastInput;
    }
};

std::uint8_t xorOf(const std::uint8_t* bytes, std::size_t count) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum ^= bytes[i];
    return sum;
}

void checkLayout(ModuleFamily family, const std::vector<std::uint8_t>& f) {
    const std::size_t n = f.size();
    FUZZ_CHECK(n >= 1 && n <= frame::MAX_FRAME, "a frame has bytes and fits the buffer");
    if (family == ModuleFamily::VX31) {
        FUZZ_CHECK(f[0] == frame::VX31_START, "a first-family frame starts with FE");
        FUZZ_CHECK(n == f[1] + frame::VX31_FRAMING_BYTES, "its length byte counts its data");
        FUZZ_CHECK(f[n - 1] == xorOf(&f[1], n - 2), "its checksum is the XOR from LEN on");
    } else if (f[0] == frame::VM77_START) {
        FUZZ_CHECK(n == f[2] + frame::VM77_FRAMING_BYTES, "a command frame's LEN counts its data");
        FUZZ_CHECK(f[n - 1] == xorOf(f.data(), n - 1), "its checksum is the XOR from FF on");
    } else {
        FUZZ_CHECK(n == f[0] + 1u, "a raw frame is its length byte and that many bytes");
    }
}

std::vector<Delivered> assemble(ModuleFamily family, const std::vector<Arrival>& input) {
    const auto assembler = FrameAssembler::create(family);
    std::vector<Delivered> frames;
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (!assembler->feed(input[i].byte, input[i].timeMs))
            continue;
        const std::uint8_t* f = assembler->frame();
        const std::size_t n = assembler->frameLength();
        FUZZ_CHECK(n <= FrameAssembler::RX_BUFFER_SIZE - 1 && f[n] == 0,
                   "a zero byte follows every frame inside the buffer");
        frames.push_back({std::vector<std::uint8_t>(f, f + n), i});
    }
    return frames;
}

// The arrivals a frame took: its own bytes, and for a raw frame of length 0 the one further
// byte it waits for and does not deliver.
std::size_t arrivalsTaken(ModuleFamily family, const std::vector<std::uint8_t>& f) {
    return family == ModuleFamily::VM77 && f.size() == 1 && f[0] == 0 ? 2 : f.size();
}

// A delivered frame is the bytes that arrived last, in order, without a gap of the timeout
// between two of them; frames never overlap.
void checkAgainstInput(ModuleFamily family, const std::vector<Delivered>& frames,
                       const std::vector<Arrival>& input) {
    std::size_t nextFree = 0;
    for (const Delivered& d : frames) {
        const std::size_t taken = arrivalsTaken(family, d.bytes);
        FUZZ_CHECK(d.lastInput + 1 >= taken + nextFree, "frames do not share bytes");
        const std::size_t first = d.lastInput + 1 - taken;
        for (std::size_t k = 0; k < taken; ++k) {
            FUZZ_CHECK(k >= d.bytes.size() || d.bytes[k] == input[first + k].byte,
                       "a frame is the bytes received");
            if (k > 0)
                FUZZ_CHECK(input[first + k].timeMs - input[first + k - 1].timeMs <
                               FrameAssembler::FRAME_TIMEOUT_MS,
                           "no frame spans a gap of the timeout");
        }
        nextFree = d.lastInput + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5)
        return 0;
    const ModuleFamily family = (data[0] & 1) ? ModuleFamily::VM77 : ModuleFamily::VX31;
    std::uint32_t clock = 0;
    std::memcpy(&clock, data + 1, sizeof clock);
    std::vector<Arrival> input;
    for (std::size_t i = 5; i + 1 < size; i += 2) {
        clock += data[i + 1];
        input.push_back({data[i], clock});
    }

    const std::vector<Delivered> frames = assemble(family, input);
    for (const Delivered& d : frames)
        checkLayout(family, d.bytes);
    checkAgainstInput(family, frames, input);
    FUZZ_CHECK(frames == assemble(family, input), "the same bytes give the same frames");
    return 0;
}
