#pragma once

#include <string>
#include <string_view>

namespace tovan::tool {

// Bytes as readable text: printable ASCII as it is, Latin-1 letters in UTF-8, every byte a
// terminal would act on (control characters, DEL, the C1 range) as \xNN.
std::string printable(std::string_view latin1);

// UTF-8 text with every control character (C0, DEL, C1) written as \xNN or \u00NN, so a text
// taken from a file cannot retitle or reprogram the user's terminal. Line ends stay when
// `keepLineEnds`.
std::string terminalSafe(std::string_view utf8, bool keepLineEnds = false);

} // namespace tovan::tool
