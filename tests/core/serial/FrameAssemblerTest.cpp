#include "core/serial/FrameAssembler.h"

#include <gtest/gtest.h>
#include <vector>

using tovan::FrameAssembler;
using tovan::ModuleFamily;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Feeds bytes that all arrive at `time` unless a per-byte time list is given; returns the
// frames delivered, each with the zero byte that follows it in the buffer checked.
struct Feeder {
    explicit Feeder(ModuleFamily family) : assembler(FrameAssembler::create(family)) {}

    std::vector<Bytes> feed(const Bytes& bytes, std::uint32_t time = 1000) {
        std::vector<Bytes> frames;
        for (std::uint8_t b : bytes)
            collect(b, time, frames);
        return frames;
    }

    std::vector<Bytes> feedTimed(const std::vector<std::pair<std::uint8_t, std::uint32_t>>& input) {
        std::vector<Bytes> frames;
        for (auto [b, t] : input)
            collect(b, t, frames);
        return frames;
    }

    void collect(std::uint8_t b, std::uint32_t t, std::vector<Bytes>& frames) {
        if (!assembler->feed(b, t))
            return;
        const std::uint8_t* f = assembler->frame();
        const std::size_t n = assembler->frameLength();
        EXPECT_EQ(f[n], 0) << "a zero byte follows every frame";
        frames.emplace_back(f, f + n);
    }

    std::unique_ptr<FrameAssembler> assembler;
};

Bytes vx31Frame(std::uint8_t c1, std::uint8_t c2, const Bytes& data) {
    Bytes f{0xFE, static_cast<std::uint8_t>(data.size()), c1, c2};
    f.insert(f.end(), data.begin(), data.end());
    std::uint8_t cs = 0;
    for (std::size_t i = 1; i < f.size(); ++i)
        cs ^= f[i];
    f.push_back(cs);
    return f;
}

Bytes vm77Frame(std::uint8_t cmd, const Bytes& data) {
    Bytes f{0xFF, cmd, static_cast<std::uint8_t>(data.size())};
    f.insert(f.end(), data.begin(), data.end());
    std::uint8_t cs = 0;
    for (std::uint8_t b : f)
        cs ^= b;
    f.push_back(cs);
    return f;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

} // namespace

TEST(Vx31Assembler, DiscardsLeadingBytesAndChecksTheXorFromLength) {
    Feeder rx(ModuleFamily::VX31);
    EXPECT_EQ(rx.feed({0x00, 0xFE, 0x01, 0x10, 0x20, 0x33, 0x02}),
              (std::vector<Bytes>{{0xFE, 0x01, 0x10, 0x20, 0x33, 0x02}}));

    // Any other checksum drops the frame, and the assembler is ready for the next one.
    EXPECT_TRUE(rx.feed({0xFE, 0x01, 0x10, 0x20, 0x33, 0x03}).empty());
    EXPECT_TRUE(rx.assembler->idle());
    EXPECT_EQ(rx.feed(vx31Frame(0xC1, 0xC2, {})).size(), 1u);
}

TEST(Vx31Assembler, LengthZeroAndLargestFrames) {
    Feeder rx(ModuleFamily::VX31);
    EXPECT_EQ(rx.feed({0xFE, 0x00, 0xC1, 0xC2, 0xC1 ^ 0xC2}),
              (std::vector<Bytes>{{0xFE, 0x00, 0xC1, 0xC2, 0x03}}));

    Bytes data(255);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7);
    const Bytes largest = vx31Frame(0x12, 0x34, data);
    ASSERT_EQ(largest.size(), 260u);
    EXPECT_EQ(rx.feed(concat({largest, largest})), (std::vector<Bytes>{largest, largest}));
}

TEST(Vx31Assembler, StartByteInsideAFrameIsData) {
    Feeder rx(ModuleFamily::VX31);
    const Bytes frame = vx31Frame(0xFE, 0xFE, {0xFE});
    EXPECT_EQ(rx.feed(frame), (std::vector<Bytes>{frame}));
}

TEST(Vm77Assembler, CommandFramesIncludeTheStartByteInTheChecksum) {
    Feeder rx(ModuleFamily::VM77);
    EXPECT_EQ(rx.feed({0xFF, 0x05, 0x00, 0xFA}), (std::vector<Bytes>{{0xFF, 0x05, 0x00, 0xFA}}));
    const Bytes frame = vm77Frame(0x01, {0x11, 0x22});
    EXPECT_EQ(frame.back(), 0xCF);
    EXPECT_EQ(rx.feed(frame), (std::vector<Bytes>{frame}));

    Bytes data(255, 0xA5);
    const Bytes largest = vm77Frame(0x42, data);
    ASSERT_EQ(largest.size(), 259u);
    EXPECT_EQ(rx.feed(largest), (std::vector<Bytes>{largest}));
}

TEST(Vm77Assembler, RawFramesAreDeliveredWhateverTheirLastByte) {
    Feeder rx(ModuleFamily::VM77);
    // 0x0A: eleven bytes; the last one equals the XOR of the ten before and is still data.
    Bytes raw{0x0A, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::uint8_t x = 0;
    for (std::uint8_t b : raw)
        x ^= b;
    raw.push_back(x);
    EXPECT_EQ(rx.feed(raw), (std::vector<Bytes>{raw}));

    EXPECT_EQ(rx.feed({0x01, 0x77}), (std::vector<Bytes>{{0x01, 0x77}}));
    // A length byte of 0 still takes one more byte, which is not delivered.
    EXPECT_EQ(rx.feed({0x00, 0x99}), (std::vector<Bytes>{{0x00}}));

    Bytes largestRaw(255, 0x11);
    largestRaw[0] = 0xFE;
    EXPECT_EQ(rx.feed(largestRaw), (std::vector<Bytes>{largestRaw}));
}

TEST(Vm77Assembler, BadCommandChecksumAfterARawFrameIsDropped) {
    Feeder rx(ModuleFamily::VM77);
    Bytes bad = vm77Frame(0x01, {0x11});
    bad.back() ^= 0x01;
    const Bytes good = vm77Frame(0x02, {});
    EXPECT_EQ(rx.feed(concat({{0x02, 0xAB, 0xCD}, bad, good})),
              (std::vector<Bytes>{{0x02, 0xAB, 0xCD}, good}));
}

TEST(FrameGap, TwentyMillisecondsDropsNineteenKeeps) {
    for (ModuleFamily family : {ModuleFamily::VX31, ModuleFamily::VM77}) {
        const Bytes frame =
            family == ModuleFamily::VX31 ? vx31Frame(1, 2, {3, 4}) : vm77Frame(1, {3, 4});
        Feeder rx(family);
        std::vector<std::pair<std::uint8_t, std::uint32_t>> slow;
        std::uint32_t t = 500;
        for (std::uint8_t b : frame)
            slow.emplace_back(b, t += 19);
        EXPECT_EQ(rx.feedTimed(slow), (std::vector<Bytes>{frame})) << "19 ms gaps keep it";

        // A 20 ms gap before the third byte drops the frame; the late bytes start afresh and,
        // not being a frame start, are discarded (VX31) or read as a raw length (VM77).
        std::vector<std::pair<std::uint8_t, std::uint32_t>> broken;
        t = 1000;
        for (std::size_t i = 0; i < frame.size(); ++i)
            broken.emplace_back(frame[i], t += (i == 2 ? 20 : 1));
        Feeder rx2(family);
        const auto got = rx2.feedTimed(broken);
        for (const Bytes& f : got)
            EXPECT_NE(f, frame);
        rx2.assembler->reset();
        EXPECT_EQ(rx2.feed(frame, t + 100), (std::vector<Bytes>{frame}));
    }
}

TEST(FrameGap, ClockWrapIsAnUnsignedDifference) {
    Feeder rx(ModuleFamily::VX31);
    const Bytes frame = vx31Frame(1, 2, {});
    std::vector<std::pair<std::uint8_t, std::uint32_t>> input;
    std::uint32_t t = 0xFFFFFFF0u;
    for (std::uint8_t b : frame)
        input.emplace_back(b, t += 5); // crosses zero with 5 ms steps
    EXPECT_EQ(rx.feedTimed(input), (std::vector<Bytes>{frame}));
}

TEST(FrameGap, IdleAssemblerIgnoresTheClock) {
    Feeder rx(ModuleFamily::VX31);
    const Bytes frame = vx31Frame(1, 2, {});
    // A long pause before a frame starts is no gap inside one.
    EXPECT_EQ(rx.feedTimed({{0x00, 0},
                            {frame[0], 100000},
                            {frame[1], 100001},
                            {frame[2], 100002},
                            {frame[3], 100003},
                            {frame[4], 100004}}),
              (std::vector<Bytes>{frame}));
}
