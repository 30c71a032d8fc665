#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tovan {

// The bytes of hex text typed or pasted by a user (command line, rule files): digits in any
// case, spaces and tabs between them as they come. False for any other character, for an odd
// count of digits and for text without digits.
bool parseHexInput(std::string_view text, std::vector<std::uint8_t>& bytes);

} // namespace tovan
