#pragma once

#include "core/textwnd/LineStore.h"

#include <string>
#include <string_view>
#include <vector>

namespace tovan {

// A place where a searched text stands in the traffic window.
struct TextMatch {
    int line = 0;
    int column = 0;
    int length = 0;
    bool operator==(const TextMatch& other) const {
        return line == other.line && column == other.column && length == other.length;
    }
};

// Every place `needle` stands, top to bottom and left to right, letters compared without
// regard to case. Matches do not overlap. Nothing for an empty needle.
std::vector<TextMatch> findAll(const LineStore& lines, std::string_view needle);

// Whether `haystack` holds `needle`, letters compared without regard to case.
bool containsIgnoringCase(std::string_view haystack, std::string_view needle);

// Bytes typed in any of the usual forms ("fe01", "FE:01", "0xFE 0x01", "fe-01") as the window
// writes them ("FE 01"). Empty when the text is not a whole number of bytes.
std::string hexBytesQuery(std::string_view typed);

} // namespace tovan
