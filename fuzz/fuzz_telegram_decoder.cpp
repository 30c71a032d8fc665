// The telegram decoder on any text, and on the hex text of any received raw frame (what the
// console gives it).
#include "FuzzCheck.h"
#include "console/CTelegramDecoder.h"
#include "frames/CHexCodec.h"

#include <cstdlib>
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

// The block of a well-formed hex text: five lines, the last one the signal strength in the
// range one byte can give.
void checkBlock(std::string_view block) {
    FUZZ_CHECK(countOf(block, "\r\n") == 5, "the block has its five lines");
    FUZZ_CHECK(block.substr(0, 2) == "\r\n", "the block starts with an empty line");
    const std::size_t rssi = block.rfind("RSSI: ");
    FUZZ_CHECK(rssi != std::string_view::npos, "the block ends with the signal strength");
    const int dbm = std::atoi(std::string(block.substr(rssi + 6)).c_str());
    FUZZ_CHECK(dbm >= -138 && dbm <= -11, "the signal strength is one byte's worth");
}

void decode(const CTelegramDecoder& decoder, std::string_view text, bool hexText) {
    const bool telegram = decoder.IsTelegram(text);
    const std::string block = decoder.Decode(text);
    FUZZ_CHECK(block.empty() == (text.size() < CTelegramDecoder::MIN_DECODABLE),
               "every text long enough is decoded");
    FUZZ_CHECK(!telegram || !block.empty(), "every telegram is decoded");
    if (hexText && !block.empty())
        checkBlock(block);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The table shipped beside this program, as the workbench finds its own.
    static const CTelegramDecoder decoder;
    decode(decoder, std::string_view(reinterpret_cast<const char*>(data), size), false);
    std::string hex;
    CHexCodec().BytesToHex(data, size, hex);
    decode(decoder, hex, true);
    return 0;
}
