#include "core/textwnd/TextSearch.h"

#include <algorithm>

namespace tovan {
namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(char a, char b) {
    return lower(a) == lower(b);
}

std::size_t findIgnoringCase(std::string_view haystack, std::string_view needle, std::size_t from) {
    if (needle.empty() || haystack.size() < needle.size())
        return std::string_view::npos;
    const auto begin =
        haystack.begin() + static_cast<std::ptrdiff_t>(std::min(from, haystack.size()));
    const auto at =
        std::search(begin, haystack.end(), needle.begin(), needle.end(), equalIgnoringCase);
    return at == haystack.end() ? std::string_view::npos
                                : static_cast<std::size_t>(at - haystack.begin());
}

int digitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

} // namespace

bool containsIgnoringCase(std::string_view haystack, std::string_view needle) {
    return findIgnoringCase(haystack, needle, 0) != std::string_view::npos;
}

std::vector<TextMatch> findAll(const LineStore& lines, std::string_view needle) {
    std::vector<TextMatch> matches;
    if (needle.empty())
        return matches;
    for (int line = 0; line < lines.lineCount(); ++line) {
        const std::string& text = lines.text(line);
        for (std::size_t at = findIgnoringCase(text, needle, 0); at != std::string_view::npos;
             at = findIgnoringCase(text, needle, at + needle.size()))
            matches.push_back({line, static_cast<int>(at), static_cast<int>(needle.size())});
    }
    return matches;
}

std::string hexBytesQuery(std::string_view typed) {
    static const char* const digits = "0123456789ABCDEF";
    std::string bytes;
    int high = -1;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const char c = typed[i];
        // "0x" in front of a byte is a prefix, not a digit.
        if (c == '0' && high < 0 && i + 1 < typed.size() && lower(typed[i + 1]) == 'x') {
            ++i;
            continue;
        }
        const int value = digitValue(c);
        if (value < 0) {
            if (high >= 0 || (c != ' ' && c != ':' && c != '-' && c != ','))
                return {}; // a lone digit, or a character no byte list uses
            continue;
        }
        if (high < 0) {
            high = value;
            continue;
        }
        if (!bytes.empty())
            bytes += ' ';
        bytes += digits[high];
        bytes += digits[value];
        high = -1;
    }
    return high < 0 ? bytes : std::string();
}

} // namespace tovan
