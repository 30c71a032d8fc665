#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tovan {

// Tree labels are single-byte text: one byte is one character, read as Latin-1.

// Saving and moving keep at most this many characters of a label.
constexpr std::size_t LABEL_LIMIT = 48;

// The order of siblings: letters compare without regard to case (Latin-1 accented letters
// included); labels equal that way are ordered by their bytes.
int compareLabels(std::string_view a, std::string_view b);

// Latin-1 bytes to UTF-8, for showing labels outside the workbench. The tree view converts
// the other way with Qt's own Latin-1 conversion, which writes '?' for every character
// outside Latin-1, so a label never holds a multi-byte sequence that the cut could split.
std::string latin1ToUtf8(std::string_view latin1);

} // namespace tovan
