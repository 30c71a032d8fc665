#include "core/testplan/FramePattern.h"

#include "core/frames/CHexCodec.h"
#include "core/frames/FrameBuilder.h"
#include "core/frames/FrameLayout.h"

namespace tovan {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string hex(std::uint8_t byte) {
    std::string text;
    CHexCodec().BytesToHex(&byte, 1, text);
    return text;
}

// The number of data bytes the family's layout gives a frame of this size, or -1 when the
// frame is too short to have a length byte. A second-family frame without the FF start byte
// is a raw frame: a length byte, then that many bytes.
int dataLength(const Bytes& frame, ModuleFamily family) {
    const std::size_t framing = family == ModuleFamily::VX31    ? frame::VX31_FRAMING_BYTES
                                : frame[0] == frame::VM77_START ? frame::VM77_FRAMING_BYTES
                                                                : 1;
    return frame.size() < framing ? -1 : static_cast<int>(frame.size() - framing);
}

bool hasChecksum(const Bytes& frame, ModuleFamily family) {
    return family == ModuleFamily::VX31 || frame[0] == frame::VM77_START;
}

bool fail(std::string* why, std::string text) {
    if (why)
        *why = std::move(text);
    return false;
}

// Checks one element against the byte at `at`.
bool elementMatches(const FramePattern::Element& element, const Bytes& frame, std::size_t at,
                    ModuleFamily family, std::string* why) {
    const std::uint8_t byte = frame[at];
    const std::string where = "byte " + std::to_string(at + 1) + " is " + hex(byte);
    switch (element.kind) {
    case FramePattern::Kind::Byte:
        return byte == element.value || fail(why, where + ", expected " + hex(element.value));
    case FramePattern::Kind::Length: {
        const int length = dataLength(frame, family);
        if (length == byte)
            return true;
        return fail(why, "length " + where + ", but the frame holds " +
                             (length < 0 ? std::string("no data") : std::to_string(length)) +
                             " data bytes");
    }
    case FramePattern::Kind::Checksum: {
        if (!hasChecksum(frame, family))
            return fail(why, "a raw frame carries no checksum");
        const std::uint8_t expected = frame::expectedChecksum(frame.data(), frame.size() - 1);
        return byte == expected ||
               fail(why, "checksum " + where + ", the frame's bytes give " + hex(expected));
    }
    case FramePattern::Kind::AnyByte:
    case FramePattern::Kind::Rest:
        break;
    }
    return true;
}

} // namespace

bool FramePattern::matches(const Bytes& frame, ModuleFamily family, std::string* why) const {
    std::size_t fixed = 0;
    bool rest = false;
    for (const Element& element : m_elements) {
        if (element.kind == Kind::Rest)
            rest = true;
        else
            ++fixed;
    }
    if (frame.size() < fixed || (!rest && frame.size() != fixed))
        return fail(why, "the frame has " + std::to_string(frame.size()) + " bytes, expected " +
                             (rest ? "at least " : "") + std::to_string(fixed));
    std::size_t at = 0;
    for (std::size_t i = 0; i < m_elements.size(); ++i) {
        if (m_elements[i].kind == Kind::Rest) {
            at = frame.size() - (m_elements.size() - i - 1); // what follows `*` ends the frame
            continue;
        }
        if (!elementMatches(m_elements[i], frame, at, family, why))
            return false;
        ++at;
    }
    return true;
}

std::string FramePattern::text() const {
    std::string text;
    for (const Element& element : m_elements) {
        if (!text.empty())
            text += ' ';
        switch (element.kind) {
        case Kind::Byte:
            text += hex(element.value);
            break;
        case Kind::AnyByte:
            text += "??";
            break;
        case Kind::Length:
            text += "LEN";
            break;
        case Kind::Checksum:
            text += "CS";
            break;
        case Kind::Rest:
            text += "*";
            break;
        }
    }
    return text;
}

} // namespace tovan
