#include "core/console/TrafficHistory.h"

#include "core/textwnd/TextSearch.h"

#include <algorithm>

namespace tovan {

int TrafficHistory::linesOf(const traffic::Entry& entry) {
    int lines = 0;
    for (const traffic::Part& part : entry.parts)
        lines +=
            std::max(1, static_cast<int>(std::count(part.text.begin(), part.text.end(), '\n')));
    return lines;
}

void TrafficHistory::add(traffic::Entry entry) {
    const int lines = linesOf(entry);
    m_entries.push_back(std::move(entry));
    m_entryLines.push_back(lines);
    m_lines += lines;
    // The oldest entry goes once the newer ones fill the window without it.
    while (m_entries.size() > 1 && m_lines - m_entryLines.front() >= m_lineLimit) {
        m_lines -= m_entryLines.front();
        m_entries.pop_front();
        m_entryLines.pop_front();
    }
}

void TrafficHistory::clear() {
    m_entries.clear();
    m_entryLines.clear();
    m_lines = 0;
}

TrafficFilter::TrafficFilter(std::string_view text) : m_text(text), m_bytes(hexBytesQuery(text)) {}

bool TrafficFilter::matches(const traffic::Entry& entry) const {
    if (!active())
        return true;
    return std::any_of(entry.parts.begin(), entry.parts.end(), [this](const traffic::Part& part) {
        return containsIgnoringCase(part.text, m_text) ||
               (!m_bytes.empty() && containsIgnoringCase(part.text, m_bytes));
    });
}

} // namespace tovan
