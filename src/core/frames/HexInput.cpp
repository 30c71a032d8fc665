#include "core/frames/HexInput.h"

#include "core/frames/CHexCodec.h"

namespace tovan {

bool parseHexInput(std::string_view text, std::vector<std::uint8_t>& bytes) {
    std::size_t digits = 0;
    for (char c : text) {
        if (CHexCodec::DigitValue(c) >= 0)
            ++digits;
        else if (c != ' ' && c != '\t')
            return false;
    }
    if (digits == 0 || digits % 2 != 0)
        return false;
    bytes.assign(digits / 2, 0);
    CHexCodec().HexToBytes(text, bytes.data(), bytes.size());
    return true;
}

} // namespace tovan
