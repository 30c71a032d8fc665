// Received byte streams with their arrival times, through both families' frame assemblers.
//
// Input: one byte choosing the family (low bit: 0 first family, 1 second), four bytes of the
// starting clock (so the millisecond clock may wrap), then pairs of (byte, milliseconds since
// the byte before, -128 to 127: a reader's clock may step back a little). The same pairs also
// make a stream of well-formed frames, every one of which must be received whole. With discard
// reports on, every byte is in a frame or a report.
#include "core/frames/FrameLayout.h"
#include "core/serial/FrameAssembler.h"
#include "fuzz/FuzzCheck.h"

#include <cstring>
#include <functional>
#include <set>
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

// Milliseconds from `earlier` to `later` on the wrapping clock; a time before `earlier` is none.
std::uint32_t elapsed(std::uint32_t earlier, std::uint32_t later) {
    const auto difference = static_cast<std::int32_t>(later - earlier);
    return difference > 0 ? static_cast<std::uint32_t>(difference) : 0;
}

// The latest time seen before each arrival (a pause is measured from it), and after the last.
std::vector<std::uint32_t> latestTimes(const std::vector<Arrival>& input) {
    std::vector<std::uint32_t> latest;
    for (std::size_t i = 0; i < input.size(); ++i) {
        const std::uint32_t before = i == 0 ? input[0].timeMs : latest.back();
        latest.push_back(i == 0 || elapsed(before, input[i].timeMs) == 0 ? before
                                                                         : input[i].timeMs);
    }
    // latest[i] is now the latest including arrival i; shift to "before arrival i".
    latest.insert(latest.begin(), input.empty() ? 0 : input[0].timeMs);
    return latest;
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
    const std::vector<std::uint32_t> latest = latestTimes(input);
    std::size_t nextFree = 0;
    for (const Delivered& d : frames) {
        const std::size_t taken = arrivalsTaken(family, d.bytes);
        FUZZ_CHECK(d.lastInput + 1 >= taken + nextFree, "frames do not share bytes");
        const std::size_t first = d.lastInput + 1 - taken;
        for (std::size_t k = 0; k < taken; ++k) {
            FUZZ_CHECK(k >= d.bytes.size() || d.bytes[k] == input[first + k].byte,
                       "a frame is the bytes received");
            if (k > 0)
                FUZZ_CHECK(elapsed(latest[first + k], input[first + k].timeMs) <
                               FrameAssembler::FRAME_TIMEOUT_MS,
                           "no frame spans a gap of the timeout");
        }
        nextFree = d.lastInput + 1;
    }
}

// A well-formed frame of the family whose length comes from `lengthByte` and whose other bytes
// come from `next`. For the second family an odd length byte makes a raw frame (of any length
// but 0, which waits for one more byte), an even one a command frame.
std::vector<std::uint8_t> buildFrame(ModuleFamily family, std::uint8_t lengthByte,
                                     const std::function<std::uint8_t()>& next) {
    std::vector<std::uint8_t> f;
    if (family == ModuleFamily::VX31) {
        f = {frame::VX31_START, lengthByte};
        for (int i = 0; i < lengthByte + 2; ++i)
            f.push_back(next());
        f.push_back(xorOf(&f[1], f.size() - 1));
    } else if (lengthByte & 1) {
        f = {static_cast<std::uint8_t>(lengthByte == 0xFF ? 1 : lengthByte)};
        for (int i = 0; i < f[0]; ++i)
            f.push_back(next());
    } else {
        f = {frame::VM77_START, next(), lengthByte};
        for (int i = 0; i < lengthByte; ++i)
            f.push_back(next());
        f.push_back(xorOf(f.data(), f.size()));
    }
    return f;
}

// The arrivals' bytes made into frames that follow one another, their bytes less than the
// timeout apart (the arrivals' own spacing, cut below it).
std::vector<Arrival> wellFormedStream(ModuleFamily family, const std::vector<Arrival>& input,
                                      std::vector<std::vector<std::uint8_t>>& frames) {
    std::size_t used = 0;
    auto next = [&]() { return used < input.size() ? input[used++].byte : std::uint8_t{0}; };
    std::vector<Arrival> stream;
    std::uint32_t clock = input.front().timeMs;
    while (used < input.size()) {
        frames.push_back(buildFrame(family, next(), next));
        for (std::uint8_t b : frames.back()) {
            const std::size_t k = stream.size() % input.size();
            const auto step =
                k == 0 ? 0 : static_cast<std::int32_t>(input[k].timeMs - input[k - 1].timeMs);
            clock += static_cast<std::uint32_t>(
                step % static_cast<std::int32_t>(FrameAssembler::FRAME_TIMEOUT_MS));
            stream.push_back({b, clock});
        }
    }
    return stream;
}

void checkEveryFrameReceived(ModuleFamily family, const std::vector<Arrival>& input) {
    if (input.empty())
        return;
    std::vector<std::vector<std::uint8_t>> sent;
    const std::vector<Arrival> stream = wellFormedStream(family, input, sent);
    const std::vector<Delivered> received = assemble(family, stream);
    FUZZ_CHECK(received.size() == sent.size(), "every well-formed frame is received");
    for (std::size_t i = 0; i < sent.size(); ++i)
        FUZZ_CHECK(received[i].bytes == sent[i], "a well-formed frame is received whole");
}

struct Piece {
    bool frame;
    DiscardReason reason;
    std::vector<std::uint8_t> bytes;
};

// Frames and discard reports in the order they come out. Before each byte a reader wakes up
// half-way since the byte before and lets a pause end what it ends; after the last one a
// pause ends everything.
std::vector<Piece> assembleReporting(ModuleFamily family, const std::vector<Arrival>& input,
                                     std::vector<Delivered>& frames) {
    const auto assembler = FrameAssembler::create(family);
    std::vector<Piece> pieces;
    assembler->reportDiscards([&pieces](DiscardReason why, const std::uint8_t* b, std::size_t n) {
        pieces.push_back({false, why, std::vector<std::uint8_t>(b, b + n)});
    });
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (i > 0) {
            const auto step = static_cast<std::int32_t>(input[i].timeMs - input[i - 1].timeMs);
            assembler->expire(input[i - 1].timeMs + static_cast<std::uint32_t>(step / 2));
        }
        if (!assembler->feed(input[i].byte, input[i].timeMs))
            continue;
        const std::uint8_t* f = assembler->frame();
        frames.push_back({std::vector<std::uint8_t>(f, f + assembler->frameLength()), i});
        pieces.push_back({true, DiscardReason::Gap, frames.back().bytes});
    }
    assembler->expire(latestTimes(input).back() + FrameAssembler::FRAME_TIMEOUT_MS);
    FUZZ_CHECK(!assembler->holdsBytes(), "a pause leaves nothing held");
    return pieces;
}

void checkDiscard(ModuleFamily family, const Piece& piece) {
    const std::vector<std::uint8_t>& f = piece.bytes;
    const std::size_t n = f.size();
    FUZZ_CHECK(n > 0, "a report has bytes");
    if (piece.reason == DiscardReason::StrayBytes) {
        FUZZ_CHECK(family == ModuleFamily::VX31 && n <= FrameAssembler::MAX_STRAY_RUN,
                   "stray bytes come before a start byte, in runs of limited length");
        for (std::uint8_t b : f)
            FUZZ_CHECK(b != frame::VX31_START, "a start byte is never stray");
    } else if (piece.reason == DiscardReason::BadChecksum) {
        const bool vx31 = family == ModuleFamily::VX31;
        FUZZ_CHECK(
            n >= 4 && f[0] == (vx31 ? frame::VX31_START : frame::VM77_START) &&
                n == (vx31 ? f[1] + frame::VX31_FRAMING_BYTES : f[2] + frame::VM77_FRAMING_BYTES) &&
                f[n - 1] != (vx31 ? xorOf(&f[1], n - 2) : xorOf(f.data(), n - 1)),
            "a frame dropped for its checksum is whole and its checksum wrong");
    } else {
        FUZZ_CHECK(piece.reason == DiscardReason::Gap, "a discard has a known reason");
        FUZZ_CHECK(family == ModuleFamily::VM77 || f[0] == frame::VX31_START,
                   "a frame cut off by a pause began with a start byte");
    }
}

// Every byte received is in a frame or in a report, in the order received; only the byte a
// raw frame of length 0 waits for is in neither.
void checkDiscardReports(ModuleFamily family, const std::vector<Arrival>& input,
                         const std::vector<Delivered>& plain) {
    std::vector<Delivered> frames;
    const std::vector<Piece> pieces = assembleReporting(family, input, frames);
    FUZZ_CHECK(frames == plain, "reports and wake-ups change no frame");
    std::set<std::size_t> waitedFor;
    for (const Delivered& d : plain)
        if (arrivalsTaken(family, d.bytes) > d.bytes.size())
            waitedFor.insert(d.lastInput);
    std::vector<std::uint8_t> received;
    for (std::size_t i = 0; i < input.size(); ++i)
        if (!waitedFor.count(i))
            received.push_back(input[i].byte);
    std::vector<std::uint8_t> accounted;
    for (const Piece& piece : pieces) {
        if (!piece.frame)
            checkDiscard(family, piece);
        accounted.insert(accounted.end(), piece.bytes.begin(), piece.bytes.end());
    }
    FUZZ_CHECK(accounted == received, "every byte is in a frame or a report, in order");
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
        clock += static_cast<std::uint32_t>(static_cast<std::int8_t>(data[i + 1]));
        input.push_back({data[i], clock});
    }

    const std::vector<Delivered> frames = assemble(family, input);
    for (const Delivered& d : frames)
        checkLayout(family, d.bytes);
    checkAgainstInput(family, frames, input);
    FUZZ_CHECK(frames == assemble(family, input), "the same bytes give the same frames");
    checkEveryFrameReceived(family, input);
    if (!input.empty())
        checkDiscardReports(family, input, frames);
    return 0;
}
