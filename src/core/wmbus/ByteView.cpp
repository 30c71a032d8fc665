#include "core/wmbus/ByteView.h"

#include "core/frames/CHexCodec.h"

namespace tovan {

std::string hexText(ByteView bytes) {
    std::string text;
    CHexCodec().BytesToHex(bytes.data, bytes.size, text);
    return text;
}

} // namespace tovan
