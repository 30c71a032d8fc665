#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tovan {

// One word of a plan line and where it starts (a byte offset into the line).
struct PlanWord {
    std::string text; // without the quotes of a quoted word
    std::size_t at = 0;
    bool quoted = false;
};

// One line of plan text cut into words: spaces and tabs separate them, a text in double quotes
// is one word, and `#` outside quotes starts a comment that runs to the end of the line.
struct PlanLine {
    std::string_view source; // the whole line, comment included
    std::vector<PlanWord> words;
    std::string error; // set when a quote is not closed
    std::size_t errorAt = 0;
    std::size_t end = 0; // where the comment (or the line) starts

    // The line from the start of word `index` to the comment, without surrounding blanks.
    std::string restFrom(std::size_t index) const;
    // The step as written: every word, without the comment.
    std::string content() const { return words.empty() ? std::string() : restFrom(0); }
    // The 1-based column of a byte offset, counted in characters of UTF-8 text.
    int column(std::size_t at) const;

    static PlanLine split(std::string_view line);
};

} // namespace tovan
