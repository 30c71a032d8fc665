#pragma once

#include "core/frames/ModuleFamily.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovan {

// What an `expect` step accepts as the next received frame: exact bytes, any byte (`??`), the
// frame's own length byte and checksum being right (`LEN`, `CS`), and any further bytes (`*`,
// last, or just before a closing `CS`).
class FramePattern {
public:
    enum class Kind : std::uint8_t { Byte, AnyByte, Length, Checksum, Rest };
    struct Element {
        Kind kind = Kind::AnyByte;
        std::uint8_t value = 0; // Byte only
    };

    FramePattern() = default;
    explicit FramePattern(std::vector<Element> elements) : m_elements(std::move(elements)) {}

    // True when the frame matches; otherwise, with `why`, the first difference in words
    // ("byte 3 is 82, expected 81").
    bool matches(const std::vector<std::uint8_t>& frame, ModuleFamily family,
                 std::string* why = nullptr) const;

    // The pattern as a plan writes it: "FE LEN 81 02 ?? CS", "*".
    std::string text() const;

    const std::vector<Element>& elements() const { return m_elements; }

private:
    std::vector<Element> m_elements;
};

} // namespace tovan
