#pragma once

#include "core/console/TrafficText.h"

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace tovan {

// The entries a console's traffic window holds, kept whole so that a filter can show only some
// of them and then everything again: as many of the newest entries as fill the window's line
// limit, whatever the filter hides.
class TrafficHistory {
public:
    explicit TrafficHistory(int lineLimit = 1000) : m_lineLimit(lineLimit) {}

    void add(traffic::Entry entry);
    void clear();
    // Oldest first.
    const std::deque<traffic::Entry>& entries() const { return m_entries; }
    int lineCount() const { return m_lines; }

    // The lines an entry adds to the window: one per line feed of each part (a part begins
    // with one and goes in front of the window's empty first line), at least one a part.
    static int linesOf(const traffic::Entry& entry);

private:
    int m_lineLimit;
    int m_lines = 0;
    std::deque<traffic::Entry> m_entries;
    std::deque<int> m_entryLines;
};

// What the console's filter field asks for: entries holding its text, letters in any case,
// or, when the text is a list of bytes, those bytes as the window writes them.
class TrafficFilter {
public:
    TrafficFilter() = default;
    explicit TrafficFilter(std::string_view text);

    bool active() const { return !m_text.empty(); }
    const std::string& text() const { return m_text; }
    bool matches(const traffic::Entry& entry) const;

private:
    std::string m_text;
    std::string m_bytes; // the text read as bytes; empty when it is not
};

} // namespace tovan
