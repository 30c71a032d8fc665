#include "core/console/DiscardedEntry.h"

#include "core/frames/CHexCodec.h"
#include "core/serial/DiscardReason.h"

namespace tovan::traffic {

Entry discarded(std::string_view time, const std::uint8_t* payload, std::size_t length) {
    std::string text = "\n";
    text.append(time).append("  discarded, ");
    text.append(discardReasonText(length > 0 ? payload[0] : 0)).append(":\n ");
    if (length > 1)
        CHexCodec().BytesToHex(payload + 1, length - 1, text);
    Entry entry;
    entry.parts.push_back({text, DISCARDED_COLOUR});
    return entry;
}

} // namespace tovan::traffic
