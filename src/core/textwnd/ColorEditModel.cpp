#include "core/textwnd/ColorEditModel.h"

#include "core/textwnd/CharClass.h"

#include <algorithm>

namespace tovan {

namespace {

// The first `count` characters of `s` (none for a negative count).
std::string leftPart(const std::string& s, int count) {
    return s.substr(0, static_cast<std::size_t>(std::clamp(count, 0, int(s.size()))));
}

// The characters of `s` from `from` on (none when `from` is past the end).
std::string rightPart(const std::string& s, int from) {
    return s.substr(static_cast<std::size_t>(std::clamp(from, 0, int(s.size()))));
}

} // namespace

ColorEditModel::ColorEditModel(int tabWidth, ColorEditHooks* hooks)
    : m_hooks(hooks ? hooks : &m_noWindow), m_selection(m_store, m_hooks),
      m_tabWidth(std::max(tabWidth, 1)) {
    m_store.setRefreshHandler([this] { m_hooks->UpdateScrollBars(); });
}

void ColorEditModel::setHooks(ColorEditHooks* hooks) {
    m_hooks = hooks ? hooks : &m_noWindow;
    m_selection.setHooks(m_hooks);
}

void ColorEditModel::Reset() {
    m_store.ClearLines();
    m_hooks->notifyChange();
    m_selection.reset();
    m_hooks->resetView();
}

void ColorEditModel::AddLine(std::string_view text, Colour colour) {
    if (lineCount() > m_lineLimit)
        m_store.truncate(m_lineLimit, false);
    m_selection.placeAt(TextPos{});
    std::string entry;
    entry.reserve(text.size() + 1);
    entry.append(text).push_back('\n');
    InsertColouredText(entry, colour);
    m_hooks->notifyChange();
}

void ColorEditModel::SetSelectionBackColour(Colour colour) {
    m_selBackColour = colour;
    m_hooks->repaintAll();
}

void ColorEditModel::SetSelectionTextColour(Colour colour) {
    m_selTextColour = colour;
    m_hooks->repaintAll();
}

void ColorEditModel::InsertColouredText(std::string_view text, Colour colour) {
    insertMultiLine(text, colour);
}

void ColorEditModel::InsertText(std::string_view text) {
    insertMultiLine(text, std::nullopt);
}

// The text's first line joins the caret line at the caret; at the first line feed the rest of
// the caret line is taken off as the tail and travels down to follow the last inserted line.
void ColorEditModel::insertMultiLine(std::string_view text, std::optional<Colour> colour) {
    DeleteSelection();
    std::string segment;
    std::string tail;
    TextPos caret = m_selection.caret();
    int column = caret.column;
    bool split = false;
    for (char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '\n') {
            const int line = caret.line;
            if (!split && line < lineCount()) {
                const std::string& current = m_store.text(line);
                tail = rightPart(current, caret.column);
                m_store.SetLine(leftPart(current, caret.column) + segment, line, colour, false);
            } else {
                m_store.InsertLine(segment, line, colour, false);
            }
            segment.clear();
            column = 0;
            caret = TextPos{0, line + 1};
            split = true;
        } else if (b == '\t') {
            const std::string fill = TabFill(column);
            column += static_cast<int>(fill.size());
            segment += fill;
        } else if (charclass::isPrintable(b)) {
            ++column;
            segment.push_back(ch);
        }
    }
    caret = split ? finishSplitInsert(segment, tail, colour, caret)
                  : finishInlineInsert(segment, colour, caret);
    m_selection.placeAt(caret);
    m_hooks->UpdateScrollBars();
    m_hooks->repaintAll();
    m_hooks->showCaret();
}

TextPos ColorEditModel::finishSplitInsert(const std::string& segment, const std::string& tail,
                                          std::optional<Colour> colour, TextPos caret) {
    if (segment.empty() && tail.empty())
        return caret;
    const std::string last = segment + tail;
    m_store.InsertLine(last, caret.line, colour, false);
    caret.line = std::min(caret.line, lineCount() - 1);
    caret.column = static_cast<int>(last.size());
    return caret;
}

TextPos ColorEditModel::finishInlineInsert(const std::string& segment, std::optional<Colour> colour,
                                           TextPos caret) {
    if (segment.empty())
        return caret;
    if (caret.line < lineCount()) {
        const std::string& current = m_store.text(caret.line);
        const std::string head = leftPart(current, caret.column);
        m_store.SetLine(head + segment + rightPart(current, caret.column), caret.line, colour,
                        false);
        caret.column = static_cast<int>(head.size() + segment.size());
    } else {
        caret.line = lineCount();
        m_store.InsertLine(segment, caret.line, colour, false);
        caret.column = static_cast<int>(segment.size());
    }
    return caret;
}

std::string ColorEditModel::TabFill(int column) const {
    int n = 1;
    for (int c = column + 1; c % m_tabWidth != 0; ++c)
        ++n;
    return std::string(static_cast<std::size_t>(n), ' ');
}

void ColorEditModel::InsertString(std::string_view s) {
    std::string typed;
    for (char ch : s)
        if (charclass::isPrintable(static_cast<unsigned char>(ch)))
            typed.push_back(ch);
    if (typed.empty())
        return;
    TextPos caret = m_selection.caret();
    if (caret.line >= lineCount()) {
        caret.line = lineCount();
        m_store.InsertLine(typed, caret.line);
        caret.column = static_cast<int>(typed.size());
        m_selection.placeAt(caret);
        m_hooks->repaintLines(caret.line, caret.line, 0);
        return;
    }
    const std::string& current = m_store.text(caret.line);
    const std::string head = leftPart(current, caret.column);
    const std::string tail = rightPart(current, caret.column);
    if (!tail.empty())
        m_hooks->repaintLines(caret.line, caret.line, 0);
    m_store.SetLine(head + typed + tail, caret.line);
    caret.column = static_cast<int>(head.size() + typed.size());
    m_selection.setCaret(caret);
    m_hooks->EnsureCaretVisible();
    m_selection.collapse();
    m_hooks->repaintLines(caret.line, caret.line, 0);
}

void ColorEditModel::InsertTab() {
    InsertString(TabFill(m_selection.caret().column));
}

void ColorEditModel::InsertNewline() {
    TextPos caret = m_selection.caret();
    if (caret.line >= lineCount())
        caret = TextPos{lineLength(lineCount() - 1), lineCount() - 1};
    const std::string current = m_store.text(caret.line);
    m_store.SetLine(leftPart(current, caret.column), caret.line);
    const std::string tail = rightPart(current, caret.column);
    caret = TextPos{0, caret.line + 1};
    m_selection.setCaret(caret);
    m_store.InsertLine(tail, caret.line);
    m_hooks->EnsureCaretVisible();
    m_hooks->repaintFrom(caret.line - 1);
    m_selection.collapse();
}

void ColorEditModel::Backspace() {
    TextPos caret = m_selection.caret();
    if (caret == TextPos{} || caret.line >= lineCount())
        return;
    const std::string current = m_store.text(caret.line);
    const int column = std::min(caret.column, static_cast<int>(current.size()));
    m_store.SetLine(leftPart(current, column - 1) + rightPart(current, column), caret.line);
    caret.column = column - 1;
    if (caret.column < 0) {
        if (caret.line == 0) {
            caret.column = 0;
        } else {
            const int p = lineLength(caret.line - 1);
            caret = TextPos{p, caret.line - 1};
            m_selection.setCaret(caret);
            joinWithNextLine(caret.line);
        }
    }
    m_selection.setCaret(caret);
    m_hooks->repaintLines(caret.line, caret.line, 4);
    m_selection.collapse();
}

void ColorEditModel::DeleteForward() {
    const TextPos caret = m_selection.caret();
    if (caret.line >= lineCount())
        return;
    const std::string& current = m_store.text(caret.line);
    if (caret.column >= static_cast<int>(current.size())) {
        if (caret.line < lineCount() - 1)
            joinWithNextLine(caret.line);
    } else {
        m_store.SetLine(leftPart(current, caret.column) + rightPart(current, caret.column + 1),
                        caret.line);
    }
    m_selection.collapse();
    m_hooks->repaintLines(caret.line, caret.line, 4);
}

void ColorEditModel::joinWithNextLine(int line) {
    m_store.SetLine(m_store.text(line) + m_store.text(line + 1), line);
    m_store.DeleteLine(line + 1);
    m_hooks->repaintAll();
}

void ColorEditModel::DeleteSelection() {
    if (m_selection.isEmpty())
        return;
    TextPos start;
    TextPos end;
    m_selection.orderedRange(start, end);
    if (start.line == end.line) {
        if (start.line < lineCount()) {
            const std::string& current = m_store.text(start.line);
            m_store.SetLine(leftPart(current, start.column) + rightPart(current, end.column),
                            start.line);
        }
    } else {
        while (end.line > start.line + 1) {
            m_store.DeleteLine(start.line + 1);
            --end.line;
        }
        const std::string tail =
            end.line < lineCount() ? rightPart(m_store.text(end.line), end.column) : std::string();
        if (start.line < lineCount())
            m_store.SetLine(leftPart(m_store.text(start.line), start.column) + tail, start.line);
        m_store.DeleteLine(end.line);
    }
    m_selection.placeAt(start);
    m_hooks->repaintAll();
}

} // namespace tovan
