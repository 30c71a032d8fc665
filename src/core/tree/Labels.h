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

// Where a new item labelled `label` goes among `count` siblings in label order (`labelAt(i)`
// is the label of sibling i): after every sibling that sorts before it or equal to it, so equal
// labels keep the order they came in. Lists the workbench writes come in order already: the
// end is tried first.
template <typename LabelAt>
std::size_t sortedPosition(std::size_t count, std::string_view label, LabelAt labelAt) {
    auto follows = [&](std::size_t index) { return compareLabels(labelAt(index), label) <= 0; };
    if (count == 0 || follows(count - 1))
        return count;
    std::size_t position = 0;
    while (position < count && follows(position))
        ++position;
    return position;
}

// Latin-1 bytes to UTF-8, for showing labels outside the workbench. The tree view converts
// the other way with Qt's own Latin-1 conversion, which writes '?' for every character
// outside Latin-1, so a label never holds a multi-byte sequence that the cut could split.
std::string latin1ToUtf8(std::string_view latin1);

} // namespace tovan
