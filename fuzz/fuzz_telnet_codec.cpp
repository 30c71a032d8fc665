// Any bytes a telnet server may send, decoded whole and cut in two anywhere: the same data and
// the same commands either way, never more data than bytes; and data escaped for sending comes
// back as itself.
#include "core/serial/TelnetCodec.h"
#include "fuzz/FuzzCheck.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace tovan;

namespace {

struct Heard {
    std::vector<std::uint8_t> data;
    std::vector<std::string> events;
};

void decodePiece(TelnetCodec& codec, const std::uint8_t* bytes, std::size_t length, Heard& heard) {
    std::vector<std::uint8_t> piece(bytes, bytes + length);
    const auto decoded = codec.decode(piece.data(), piece.size(), [&](const auto& event) {
        FUZZ_CHECK(event.length <= TelnetCodec::MAX_SUBNEGOTIATION, "payloads are bounded");
        std::string text{static_cast<char>(event.command), static_cast<char>(event.option)};
        text.append(reinterpret_cast<const char*>(event.payload), event.length);
        heard.events.push_back(text);
        return true;
    });
    FUZZ_CHECK(decoded.consumed == length, "every byte is taken");
    FUZZ_CHECK(decoded.data <= length, "no more data than bytes");
    heard.data.insert(heard.data.end(), piece.begin(), piece.begin() + decoded.data);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TelnetCodec whole;
    Heard once;
    decodePiece(whole, data, size, once);

    const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    TelnetCodec split;
    Heard twice;
    decodePiece(split, data, cut, twice);
    decodePiece(split, data + cut, size - cut, twice);
    FUZZ_CHECK(twice.data == once.data, "a cut changes no data");
    FUZZ_CHECK(twice.events == once.events, "a cut changes no command");

    std::vector<std::uint8_t> escaped;
    TelnetCodec::escape(data, size, escaped);
    TelnetCodec fresh;
    Heard back;
    decodePiece(fresh, escaped.data(), escaped.size(), back);
    FUZZ_CHECK(back.data == std::vector<std::uint8_t>(data, data + size),
               "escaped data comes back as itself");
    FUZZ_CHECK(back.events.empty(), "escaped data holds no command");
    return 0;
}
