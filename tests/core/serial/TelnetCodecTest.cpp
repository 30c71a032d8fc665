// The telnet stream of a port served with serial port control: every byte value crosses as
// itself, whatever the reads cut; the option negotiation agrees to what the port needs and
// refuses everything else without looping.
#include "core/serial/TelnetCodec.h"

#include "core/serial/RemoteAddress.h"
#include "core/serial/TelnetOptions.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace tovan;
using namespace tovan::telnet;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Heard {
    Bytes data;
    std::vector<std::string> events; // "251 3", "250 44: 101 0 0 37 128", "241"
};

std::string describe(const TelnetCodec::Event& event) {
    std::string text = std::to_string(event.command);
    if (event.command >= SB)
        text += " " + std::to_string(event.option);
    if (event.command == SB) {
        text += ":";
        for (std::size_t i = 0; i < event.length; ++i)
            text += " " + std::to_string(event.payload[i]);
    }
    return text;
}

// Decodes the stream in pieces that end at the given cut positions.
Heard decodeInPieces(const Bytes& stream, const std::vector<std::size_t>& cuts) {
    TelnetCodec codec;
    Heard heard;
    std::size_t start = 0;
    std::vector<std::size_t> ends = cuts;
    ends.push_back(stream.size());
    for (const std::size_t end : ends) {
        Bytes piece(stream.begin() + static_cast<long>(start),
                    stream.begin() + static_cast<long>(end));
        const auto decoded = codec.decode(piece.data(), piece.size(), [&](const auto& event) {
            heard.events.push_back(describe(event));
            return true;
        });
        EXPECT_EQ(decoded.consumed, piece.size());
        heard.data.insert(heard.data.end(), piece.begin(),
                          piece.begin() + static_cast<long>(decoded.data));
        start = end;
    }
    return heard;
}

Bytes allByteValues() {
    Bytes values;
    for (int v = 0; v < 256; ++v)
        values.push_back(static_cast<std::uint8_t>(v));
    return values;
}

} // namespace

TEST(TelnetCodec, EveryByteValueCrossesAsItselfBetweenCommandsWhereverTheStreamIsCut) {
    // What a server sends: its greeting, a frame of every byte value, a modem-state notification
    // whose value is 0xFF (doubled inside the subnegotiation), a one-byte command, a VM77 frame.
    Bytes stream = {IAC, WILL, SGA, IAC, DO, BINARY};
    TelnetCodec::escape(allByteValues().data(), 256, stream);
    const Bytes modemState = {107, 0xFF};
    TelnetCodec::appendSubnegotiation(stream, COM_PORT, modemState.data(), modemState.size());
    stream.insert(stream.end(), {IAC, 241 /* NOP */});
    const Bytes vm77 = {0xFF, 0x81, 0x00, 0x7E};
    TelnetCodec::escape(vm77.data(), vm77.size(), stream);

    Bytes expectedData = allByteValues();
    expectedData.insert(expectedData.end(), vm77.begin(), vm77.end());
    const std::vector<std::string> expectedEvents = {"251 3", "253 0", "250 44: 107 255", "241"};

    const Heard whole = decodeInPieces(stream, {});
    EXPECT_EQ(whole.data, expectedData);
    EXPECT_EQ(whole.events, expectedEvents);
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        const Heard split = decodeInPieces(stream, {cut});
        ASSERT_EQ(split.data, expectedData) << "cut at " << cut;
        ASSERT_EQ(split.events, expectedEvents) << "cut at " << cut;
    }
    std::vector<std::size_t> everyByte;
    for (std::size_t cut = 1; cut < stream.size(); ++cut)
        everyByte.push_back(cut);
    const Heard byteByByte = decodeInPieces(stream, everyByte);
    EXPECT_EQ(byteByByte.data, expectedData);
    EXPECT_EQ(byteByByte.events, expectedEvents);
}

TEST(TelnetCodec, StoppingAfterAnEventLeavesTheRestUntouchedForTheNextRead) {
    // The answer that completes an exchange, then device data: the data must not be taken with
    // the answer.
    Bytes stream;
    const Bytes purged = {112, 3};
    TelnetCodec::appendSubnegotiation(stream, COM_PORT, purged.data(), purged.size());
    const std::size_t answerEnd = stream.size();
    stream.insert(stream.end(), {0xFE, 0x01, IAC, IAC, 0x10});

    TelnetCodec codec;
    Bytes first = stream;
    const auto decoded =
        codec.decode(first.data(), first.size(), [](const auto&) { return false; });
    EXPECT_EQ(decoded.consumed, answerEnd);
    EXPECT_EQ(decoded.data, 0u);
    Bytes rest(stream.begin() + static_cast<long>(answerEnd), stream.end());
    const auto more = codec.decode(rest.data(), rest.size(), [](const auto&) { return true; });
    EXPECT_EQ(Bytes(rest.begin(), rest.begin() + static_cast<long>(more.data)),
              Bytes({0xFE, 0x01, 0xFF, 0x10}));
}

TEST(TelnetOptions, AgreesToWhatThePortNeedsRefusesTheRestAndNeverLoops) {
    TelnetOptions options;
    Bytes out;
    options.start(out);
    EXPECT_EQ(out, Bytes({IAC, WILL, COM_PORT, IAC, WILL, BINARY, IAC, WILL, SGA, IAC, DO, BINARY,
                          IAC, DO, SGA}));

    // ser2net's greeting: answers to our requests are not answered again; ECHO is refused once.
    const std::pair<std::uint8_t, std::uint8_t> greeting[] = {
        {WILL, SGA},  {DO, SGA},      {WILL, ECHO},  {DONT, ECHO},
        {DO, BINARY}, {WILL, BINARY}, {DO, COM_PORT}};
    out.clear();
    for (const auto& [verb, option] : greeting)
        options.receive(verb, option, out);
    EXPECT_EQ(out, Bytes({IAC, DONT, ECHO}));
    EXPECT_TRUE(options.localOn(COM_PORT));
    EXPECT_TRUE(options.localOn(BINARY) && options.remoteOn(BINARY));
    EXPECT_FALSE(options.remoteOn(ECHO));

    // Said again, nothing changes and nothing is answered.
    out.clear();
    options.receive(DO, COM_PORT, out);
    options.receive(WILL, BINARY, out);
    EXPECT_TRUE(out.empty());

    // A server without serial port control refuses it.
    TelnetOptions plain;
    plain.start(out);
    out.clear();
    plain.receive(DONT, COM_PORT, out);
    EXPECT_TRUE(plain.localRefused(COM_PORT));
    EXPECT_TRUE(out.empty());
}

TEST(RemoteAddress, NamesOfBothKindsAndWhatIsNoName) {
    RemoteAddress address;
    ASSERT_TRUE(RemoteAddress::parse("rfc2217://lab-host:4001", address));
    EXPECT_EQ(address.protocol, RemoteAddress::Protocol::Rfc2217);
    EXPECT_EQ(address.host, "lab-host");
    EXPECT_EQ(address.port, 4001);
    ASSERT_TRUE(RemoteAddress::parse("SOCKET://[::1]:65535", address));
    EXPECT_EQ(address.protocol, RemoteAddress::Protocol::RawTcp);
    EXPECT_EQ(address.host, "::1");
    EXPECT_EQ(address.hostAndPort(), "[::1]:65535");
    for (const char* bad :
         {"rfc2217://host", "rfc2217://host:0", "rfc2217://host:65536", "rfc2217://:4001",
          "socket://::1:4001", "rfc2217://host:40x1", "rfc2217://host:4001/x", "ttyUSB0"})
        EXPECT_FALSE(RemoteAddress::parse(bad, address)) << bad;
    EXPECT_TRUE(RemoteAddress::isRemote("rfc2217://host"));
    EXPECT_FALSE(RemoteAddress::isRemote("/dev/ttyUSB0"));
}
