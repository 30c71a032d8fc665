#include "core/composer/InputCheck.h"

#include "core/frames/CHexCodec.h"

namespace tovan::composer {
namespace {

bool filled(const std::string& s, std::size_t i) {
    return s[i] != ' ';
}

// Inserts the space that keeps digits in pairs around the caret; may move the caret.
void insertSpacing(std::string& s, std::size_t& c) {
    if (c == 1) {
        if (c + 1 < s.size() && filled(s, 1) && filled(s, 2))
            s.insert(0, 1, ' '); // in front of the typed character, not behind it
    } else if (c == 2) {
        if (c + 1 < s.size() && filled(s, 2) && filled(s, 3))
            s.insert(2, 1, ' ');
        if (c < s.size() && filled(s, 0) && filled(s, 2))
            s.insert(2, 1, ' ');
    } else if (c >= 3) {
        if (filled(s, c - 2) && filled(s, c - 3)) {
            s.insert(c - 1, 1, ' ');
            ++c;
        } else if (c < s.size()) {
            if (filled(s, c - 2) && filled(s, c))
                s.insert(c, 1, ' ');
            else if (c + 1 < s.size() && filled(s, c) && filled(s, c + 1))
                s.insert(c, 1, ' ');
        }
    }
}

} // namespace

InputCheckResult checkTypedInput(std::string_view text, int caret, CheckKind kind,
                                 std::size_t limit) {
    InputCheckResult result;
    result.text = std::string(text);
    std::size_t c = caret < 0 ? 0 : static_cast<std::size_t>(caret);
    if (c > result.text.size())
        c = result.text.size();
    result.caret = static_cast<int>(c);
    if (result.text.empty())
        return result;

    const char ch = c == 0 ? result.text[0] : result.text[c - 1];
    if (!CHexCodec::IsHexOrSpace(ch)) {
        result.invalidCharacter = true;
        // With the caret at the very start there is no character before it to remove. The
        // caret stays where the removed character was, so the next key lands where the user
        // meant it.
        if (c > 0) {
            result.text.erase(c - 1, 1);
            --c;
        }
    } else if (kind == CheckKind::WithSpacing && result.text.size() > 2 && ch != ' ') {
        std::string spaced = result.text;
        std::size_t spacedCaret = c;
        insertSpacing(spaced, spacedCaret);
        if (limit > 0 && spaced.size() > limit && spaced.size() > result.text.size()) {
            // The space the digit needs does not fit: the digit is refused like any key
            // press beyond the field's limit.
            result.text.erase(c - 1, 1);
            --c;
        } else {
            result.text = std::move(spaced);
            c = spacedCaret;
        }
    }
    result.caret = static_cast<int>(c);
    result.placeCaret = kind == CheckKind::WithSpacing;
    return result;
}

} // namespace tovan::composer
