#include "core/serial/FrameFit.h"

#include "core/frames/FrameLayout.h"
#include "core/serial/FrameAssembler.h"

namespace tovan {
namespace {

// L, C, the M-field, the A-field and the CI field: what any telegram holds.
constexpr std::uint8_t TELEGRAM_HEADER_LENGTH = 10;

} // namespace

bool beginsWithFrameOf(ModuleFamily family, const std::uint8_t* bytes, std::size_t length) {
    if (length == 0)
        return false;
    // The first family's receiver skips bytes before its start byte; here the frame must be first.
    if (family == ModuleFamily::VX31 && bytes[0] != frame::VX31_START)
        return false;
    if (family == ModuleFamily::VM77 && bytes[0] != frame::VM77_START &&
        bytes[0] < TELEGRAM_HEADER_LENGTH)
        return false;
    const auto assembler = FrameAssembler::create(family);
    for (std::size_t i = 0; i < length; ++i)
        if (assembler->feed(bytes[i], 0))
            return assembler->frameLength() == i + 1; // the frame that starts at byte 0
    return false;
}

} // namespace tovan
