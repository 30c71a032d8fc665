#pragma once

#include "core/textwnd/TextPos.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovan {

// The lines of the traffic window, each with exactly one colour per character. Never empty:
// it starts with, and is cleared to, one empty line.
//
// New traffic always enters near the top and the oldest leaves at the bottom, so the lines sit
// in a deque (cheap at both ends). The longest line length is kept exact after every change by
// counting how many lines have each length, instead of scanning all lines each time.
class LineStore {
public:
    LineStore();

    int lineCount() const { return static_cast<int>(m_lines.size()); }
    // Text and colours of an existing line (index below lineCount()).
    const std::string& text(int index) const { return m_lines[index].text; }
    const std::vector<Colour>& colours(int index) const { return m_lines[index].colours; }
    // Length of a line; 0 for an index outside the store.
    int lineLength(int index) const;
    int longestLineLength() const;

    // Every primitive takes a refresh switch: when set, the refresh handler (the window's
    // scroll-bar update) runs afterwards. Callers that make several changes in a row pass false
    // and refresh once at the end.

    // Inserts a line before `index`, all of it in `colour` (the default colour when none). An
    // index beyond the end appends.
    void InsertLine(std::string_view text, int index, std::optional<Colour> colour = {},
                    bool refresh = true);
    // Replaces a line's text and rebuilds its colours: every character takes `colour` (or the
    // default colour), so the colours it had before are lost. Does nothing for a missing line.
    void SetLine(std::string_view text, int index, std::optional<Colour> colour = {},
                 bool refresh = true);
    // Removes a line; does nothing for a missing line. Removing the only line leaves one empty
    // line, so the store is never without lines.
    void DeleteLine(int index, bool refresh = true);
    // Removes every line and starts again with one empty line.
    void ClearLines(bool refresh = true);
    // Removes every line from `index` to the end; keeps at least one line.
    void truncate(int index, bool refresh = true);

    void setRefreshHandler(std::function<void()> handler) { m_refresh = std::move(handler); }

private:
    struct Line {
        std::string text;
        std::vector<Colour> colours;
    };

    void fill(Line& line, std::string_view text, std::optional<Colour> colour);
    void countLength(std::size_t length);
    void uncountLength(std::size_t length);
    void refreshIf(bool refresh);

    std::deque<Line> m_lines;
    std::map<std::size_t, int> m_lengthCounts; // line length -> number of lines that long
    std::function<void()> m_refresh;
};

} // namespace tovan
