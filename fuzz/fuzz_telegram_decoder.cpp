// The telegram decoder on any text, and on the hex text of any received raw frame (what the
// console gives it).
#include "core/frames/CHexCodec.h"
#include "core/wmbus/CTelegramDecoder.h"
#include "fuzz/FuzzCheck.h"

#include <string>
#include <string_view>

using namespace tovan;

namespace {

std::size_t countOf(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size()))
        ++count;
    return count;
}

std::string hexOf(std::uint8_t byte) {
    std::string text;
    CHexCodec().BytesToHex(&byte, 1, text);
    return text;
}

// The block of a received frame's hex text, read from the frame's bytes: L, C, two M-field
// bytes (low byte first), four identification bytes (least significant first), version, device
// type, and the signal-strength byte the module appends.
void checkBlock(std::string_view block, const std::uint8_t* frame, std::size_t size) {
    FUZZ_CHECK(countOf(block, "\r\n") == 5 && block.substr(0, 2) == "\r\n",
               "the block has its five lines, the first one empty");
    const unsigned m = frame[3] << 8 | frame[2];
    const char code[] = {char('@' + (m >> 10 & 0x1F)),
                         char('@' + (m >> 5 & 0x1F)),
                         char('@' + (m & 0x1F)),
                         ' ',
                         ' ',
                         '\0'};
    FUZZ_CHECK(block.substr(2, 5) == code, "the manufacturer code is the M-field's letters");
    const std::string id = hexOf(frame[7]) + hexOf(frame[6]) + hexOf(frame[5]) + hexOf(frame[4]);
    FUZZ_CHECK(block.find("\r\nIdentification:  " + id + "\r\n") != std::string_view::npos,
               "the identification is the A-field, most significant byte first");
    FUZZ_CHECK(block.find("\r\nDevice type:  " + hexOf(frame[9])) != std::string_view::npos,
               "the device type is the A-field's last byte");
    const int strength = frame[size - 1] >= 128 ? (frame[size - 1] - 256) / 2 : frame[size - 1] / 2;
    FUZZ_CHECK(block.find("\r\nRSSI: " + std::to_string(strength - 74) + " dBm\r\n") !=
                   std::string_view::npos,
               "the signal strength comes from the last byte");
}

std::string decode(const CTelegramDecoder& decoder, std::string_view text) {
    const bool telegram = decoder.IsTelegram(text);
    std::string block = decoder.Decode(text);
    FUZZ_CHECK(block.empty() == (text.size() < CTelegramDecoder::MIN_DECODABLE),
               "every text long enough is decoded");
    FUZZ_CHECK(!telegram || !block.empty(), "every telegram is decoded");
    return block;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The table shipped beside this program, as the workbench finds its own.
    static const CTelegramDecoder decoder;
    decode(decoder, std::string_view(reinterpret_cast<const char*>(data), size));
    std::string hex;
    CHexCodec().BytesToHex(data, size, hex);
    const std::string block = decode(decoder, hex);
    if (!block.empty())
        checkBlock(block, data, size);
    return 0;
}
