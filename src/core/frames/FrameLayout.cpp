#include "core/frames/FrameLayout.h"

#include "core/frames/CHexCodec.h"

#include <string>
#include <vector>

namespace tovan {

std::string_view modelName(ModuleFamily family) {
    return family == ModuleFamily::VX31 ? "VX31" : "VM77";
}

namespace frame {
namespace {

// Converts a whole text; the area is sized from the text, so nothing is ever cut.
std::vector<std::uint8_t> toBytes(std::string_view text, int& count) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(CHexCodec::HexByteCount(text)) + 1);
    count = CHexCodec().HexToBytes(text, bytes.data(), bytes.size());
    return bytes;
}

} // namespace

LengthAndChecksum vx31LengthAndChecksum(std::string_view commandText, std::string_view dataText) {
    std::string joined(commandText);
    joined += ' ';
    joined += dataText;
    int n = 0;
    std::vector<std::uint8_t> body = toBytes(joined, n);

    LengthAndChecksum result;
    result.byteCount = n;
    result.length = static_cast<std::uint8_t>(n - 2);
    std::vector<std::uint8_t> covered;
    covered.reserve(static_cast<std::size_t>(n) + 1);
    covered.push_back(result.length);
    covered.insert(covered.end(), body.begin(), body.begin() + n);
    result.checksum = CHexCodec().XorChecksum(covered.data(), covered.size());
    return result;
}

LengthAndChecksum vm77LengthAndChecksum(std::string_view cmdText, std::string_view dataText) {
    const CHexCodec codec;
    LengthAndChecksum result;
    toBytes(dataText, result.byteCount);
    result.length = static_cast<std::uint8_t>(result.byteCount);

    std::string whole = "FF ";
    whole += cmdText;
    whole += ' ';
    codec.BytesToHex(&result.length, 1, whole);
    whole += ' ';
    whole += dataText;
    int n = 0;
    std::vector<std::uint8_t> bytes = toBytes(whole, n);
    result.checksum = codec.XorChecksum(bytes.data(), static_cast<std::size_t>(n));
    return result;
}

} // namespace frame
} // namespace tovan
