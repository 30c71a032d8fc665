#pragma once

#include <cstdint>

namespace tovan {

// A colour of the traffic window: 0x00BBGGRR, red in the low byte.
using Colour = std::uint32_t;

// Characters stored without an explicit colour are black.
constexpr Colour DEFAULT_TEXT_COLOUR = 0x000000;

// A place in the text: zero-based column (one byte, one cell) and line.
struct TextPos {
    int column = 0;
    int line = 0;
};

inline bool operator==(TextPos a, TextPos b) {
    return a.column == b.column && a.line == b.line;
}
inline bool operator!=(TextPos a, TextPos b) {
    return !(a == b);
}

} // namespace tovan
