#include "core/textwnd/LineStore.h"

#include <algorithm>

namespace tovan {

LineStore::LineStore() {
    ClearLines(false);
}

int LineStore::lineLength(int index) const {
    if (index < 0 || index >= lineCount())
        return 0;
    return static_cast<int>(m_lines[index].text.size());
}

int LineStore::longestLineLength() const {
    return m_lengthCounts.empty() ? 0 : static_cast<int>(m_lengthCounts.rbegin()->first);
}

void LineStore::InsertLine(std::string_view text, int index, std::optional<Colour> colour,
                           bool refresh) {
    index = std::clamp(index, 0, lineCount());
    Line line;
    fill(line, text, colour);
    countLength(line.text.size());
    m_lines.insert(m_lines.begin() + index, std::move(line));
    refreshIf(refresh);
}

void LineStore::SetLine(std::string_view text, int index, std::optional<Colour> colour,
                        bool refresh) {
    if (index < 0 || index >= lineCount())
        return;
    Line& line = m_lines[index];
    uncountLength(line.text.size());
    fill(line, text, colour);
    countLength(line.text.size());
    refreshIf(refresh);
}

void LineStore::DeleteLine(int index, bool refresh) {
    if (index < 0 || index >= lineCount())
        return;
    if (lineCount() == 1) {
        SetLine({}, 0, {}, refresh);
        return;
    }
    uncountLength(m_lines[index].text.size());
    m_lines.erase(m_lines.begin() + index);
    refreshIf(refresh);
}

void LineStore::ClearLines(bool refresh) {
    m_lines.clear();
    m_lengthCounts.clear();
    m_lines.emplace_back();
    countLength(0);
    refreshIf(refresh);
}

void LineStore::truncate(int index, bool refresh) {
    index = std::max(index, 1);
    if (index >= lineCount())
        return;
    for (auto it = m_lines.begin() + index; it != m_lines.end(); ++it)
        uncountLength(it->text.size());
    m_lines.erase(m_lines.begin() + index, m_lines.end());
    refreshIf(refresh);
}

void LineStore::fill(Line& line, std::string_view text, std::optional<Colour> colour) {
    line.text.assign(text.data(), text.size());
    line.colours.assign(text.size(), colour.value_or(DEFAULT_TEXT_COLOUR));
}

void LineStore::countLength(std::size_t length) {
    ++m_lengthCounts[length];
}

void LineStore::uncountLength(std::size_t length) {
    auto it = m_lengthCounts.find(length);
    if (it != m_lengthCounts.end() && --it->second == 0)
        m_lengthCounts.erase(it);
}

void LineStore::refreshIf(bool refresh) {
    if (refresh && m_refresh)
        m_refresh();
}

} // namespace tovan
