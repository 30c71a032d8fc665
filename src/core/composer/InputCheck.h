#pragma once

#include <string>
#include <string_view>

namespace tovan::composer {

// How a typed change is checked: the Data field (both families) and the first family's
// Command field get the full check with automatic spacing; the second family's Cmd field only
// the character check, and its caret is left alone.
enum class CheckKind { WithSpacing, CharacterOnly };

struct InputCheckResult {
    std::string text;
    int caret = 0;
    bool invalidCharacter = false; // show the invalid-character message
    bool placeCaret = false;       // give the field the focus and put the caret at `caret`
};

// Checks a field right after the user changed it; `caret` is where the change left the caret.
// An invalid character before the caret is removed. Otherwise a space is inserted where a
// third digit would join a pair, so that typed digits come out grouped in pairs: typing A, B,
// C gives "AB C" with the caret behind C. A digit whose space would take the text beyond
// `limit` characters (0: no limit) is removed again, so typing never overfills the field.
InputCheckResult checkTypedInput(std::string_view text, int caret, CheckKind kind,
                                 std::size_t limit = 0);

} // namespace tovan::composer
