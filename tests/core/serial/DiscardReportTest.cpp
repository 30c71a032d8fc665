// What the receiver throws away, reported with the reason, while the frames it delivers stay
// exactly what they were without reports.
#include "core/frames/FrameBuilder.h"
#include "core/hub/ConsoleMessage.h"
#include "core/serial/FrameAssembler.h"
#include "core/serial/SerialChannel.h"
#include "tests/support/PtyPair.h"
#include "tests/support/RecordingEndpoint.h"

#include <gtest/gtest.h>
#include <thread>

using namespace tovan;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Timed {
    Bytes bytes;
    std::uint32_t timeMs;
};

// Frames delivered and, in order with them, "!<reason>" entries followed by the bytes.
std::vector<Bytes> run(ModuleFamily family, const std::vector<Timed>& input, bool report) {
    auto assembler = FrameAssembler::create(family);
    std::vector<Bytes> out;
    if (report)
        assembler->reportDiscards([&](DiscardReason reason, const std::uint8_t* b, std::size_t n) {
            Bytes entry{'!', static_cast<std::uint8_t>(reason)};
            entry.insert(entry.end(), b, b + n);
            out.push_back(entry);
        });
    for (const Timed& chunk : input)
        for (std::uint8_t b : chunk.bytes)
            if (assembler->feed(b, chunk.timeMs))
                out.emplace_back(assembler->frame(), assembler->frame() + assembler->frameLength());
    assembler->expire(input.back().timeMs + 20);
    return out;
}

Bytes report(DiscardReason reason, const Bytes& bytes) {
    Bytes entry{'!', static_cast<std::uint8_t>(reason)};
    entry.insert(entry.end(), bytes.begin(), bytes.end());
    return entry;
}

std::vector<Bytes> framesOnly(std::vector<Bytes> all) {
    all.erase(std::remove_if(all.begin(), all.end(), [](const Bytes& b) { return b[0] == '!'; }),
              all.end());
    return all;
}

} // namespace

TEST(DiscardReport, FirstFamilyReportsEachKindInOrderAndDeliversTheSame) {
    const Bytes good = frame::buildVx31Frame(0x01, 0x02, {0x33});
    Bytes bad = good;
    bad.back() ^= 0x5A;
    const std::vector<Timed> input{
        {{0x00, 0x11}, 100},       // a run of stray bytes, one report
        {{0x22}, 130},             // after a pause: a run of its own, ended by FE
        {good, 130},               //
        {bad, 131},                // wrong checksum: the whole frame
        {{0xFE, 0x01, 0x01}, 132}, // cut by the pause before the next byte
        {good, 160},               //
        {{0xFE, 0x00}, 161},       // cut by a pause with no byte after it
    };
    const auto reported = run(ModuleFamily::VX31, input, true);
    EXPECT_EQ(reported, (std::vector<Bytes>{report(DiscardReason::StrayBytes, {0x00, 0x11}),
                                            report(DiscardReason::StrayBytes, {0x22}), good,
                                            report(DiscardReason::BadChecksum, bad),
                                            report(DiscardReason::Gap, {0xFE, 0x01, 0x01}), good,
                                            report(DiscardReason::Gap, {0xFE, 0x00})}));
    EXPECT_EQ(framesOnly(reported), run(ModuleFamily::VX31, input, false));
}

TEST(DiscardReport, SecondFamilyReportsBadChecksumsAndCutFramesNeverRawFrames) {
    const Bytes command = frame::buildVm77Frame(0x05, {0x01, 0x02});
    Bytes bad = command;
    bad.back() ^= 0x01;
    const Bytes raw{0x03, 0xAA, 0xBB, 0xCC}; // no checksum: delivered whatever its last byte
    const std::vector<Timed> input{{raw, 10}, {bad, 11}, {{0x04, 0x01}, 12}, {command, 40}};
    const auto reported = run(ModuleFamily::VM77, input, true);
    EXPECT_EQ(reported, (std::vector<Bytes>{raw, report(DiscardReason::BadChecksum, bad),
                                            report(DiscardReason::Gap, {0x04, 0x01}), command}));
    EXPECT_EQ(framesOnly(reported), run(ModuleFamily::VM77, input, false));
}

TEST(DiscardReport, AnEndlessStrayStreamIsReportedInBoundedPieces) {
    const auto reported = run(ModuleFamily::VX31, {{Bytes(600, 0x55), 5}}, true);
    ASSERT_EQ(reported.size(), 3u);
    EXPECT_EQ(reported[0].size(), 2 + FrameAssembler::MAX_STRAY_RUN);
    EXPECT_EQ(reported[2].size(), 2 + 600 - 2 * FrameAssembler::MAX_STRAY_RUN);
}

// Through the channel: only a console that asked gets CD_RX_DISCARDED, in order with the
// frames, and a frame cut short is reported without waiting for the next byte.
TEST(DiscardReport, ReachTheOwnerOnlyWhenAskedInOrderWithTheFrames) {
    SerialChannel channel(ModuleFamily::VX31);
    test::RecordingEndpoint owner;
    test::PtyPair pty;
    DcbTemplate dcb;
    dcb.BaudRate = 115200;
    std::uint8_t slot = SerialChannel::NO_PORT;
    ASSERT_EQ(channel.OpenPort(pty.slavePath(), dcb, owner, slot), 0u);
    const Bytes good = frame::buildVx31Frame(0x01, 0x02);

    Bytes stream{0x42};
    stream.insert(stream.end(), good.begin(), good.end());
    pty.write(stream);
    ASSERT_TRUE(owner.waitFor(CD_RX_FRAME, 1));

    channel.SetReportDiscards(slot, true);
    std::this_thread::sleep_for(50ms);
    pty.write(stream);
    ASSERT_TRUE(owner.waitFor(CD_RX_FRAME, 2));
    pty.write({0xFE, 0x03});
    EXPECT_TRUE(owner.waitFor(CD_RX_DISCARDED, 2, 2s)) << "a cut frame shows after its pause";
    channel.ClosePort(slot);

    std::vector<std::pair<std::uint32_t, Bytes>> seen;
    for (const auto& m : owner.all())
        seen.emplace_back(m.code, m.bytes);
    EXPECT_EQ(seen,
              (std::vector<std::pair<std::uint32_t, Bytes>>{{CD_RX_FRAME, good},
                                                            {CD_RX_DISCARDED, {1, 0x42}},
                                                            {CD_RX_FRAME, good},
                                                            {CD_RX_DISCARDED, {3, 0xFE, 0x03}}}));
}
