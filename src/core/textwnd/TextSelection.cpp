#include "core/textwnd/TextSelection.h"

#include "core/textwnd/CharClass.h"
#include "core/textwnd/ColorEditHooks.h"
#include "core/textwnd/LineStore.h"

#include <algorithm>
#include <limits>

namespace tovan {

namespace {

bool isWordByte(const std::string& text, int i) {
    return charclass::isAlnum(static_cast<unsigned char>(text[static_cast<std::size_t>(i)]));
}

bool isSpaceByte(const std::string& text, int i) {
    return charclass::isSpace(static_cast<unsigned char>(text[static_cast<std::size_t>(i)]));
}

} // namespace

TextSelection::TextSelection(const LineStore& store, ColorEditHooks* hooks)
    : m_store(store), m_hooks(hooks) {}

void TextSelection::reset() {
    m_caret = m_anchor = TextPos{};
    m_selectionSeen = false;
}

int TextSelection::lineCount() const {
    return m_store.lineCount();
}

int TextSelection::lineLength(int line) const {
    return m_store.lineLength(line);
}

TextPos TextSelection::endOfText() const {
    return TextPos{lineLength(lineCount() - 1), lineCount() - 1};
}

TextPos TextSelection::clamped(int column, int line) const {
    line = std::clamp(line, 0, lineCount() - 1);
    return TextPos{std::clamp(column, 0, lineLength(line)), line};
}

void TextSelection::orderedRange(TextPos& start, TextPos& end) const {
    const bool caretFirst = m_caret.line < m_anchor.line ||
                            (m_caret.line == m_anchor.line && m_caret.column < m_anchor.column);
    start = caretFirst ? m_caret : m_anchor;
    end = caretFirst ? m_anchor : m_caret;
}

void TextSelection::SetSelection(int anchorColumn, int anchorLine, int caretColumn, int caretLine) {
    m_anchor = clamped(anchorColumn, anchorLine);
    m_caret = clamped(caretColumn, caretLine);
    m_hooks->showCaret();
    m_hooks->repaintAll();
}

void TextSelection::SelectAll() {
    m_anchor = TextPos{};
    m_caret = endOfText();
    m_hooks->EnsureCaretVisible();
    m_hooks->showCaret();
    m_hooks->repaintAll();
}

bool TextSelection::HasSelection() {
    const bool has = m_anchor != m_caret;
    if (has != m_selectionSeen) {
        m_selectionSeen = has;
        if (has)
            m_hooks->repaintLines(m_anchor.line, m_caret.line, 0);
        else
            m_hooks->repaintAll();
    }
    return has;
}

bool TextSelection::IsSelected(int column, int line) const {
    int from = 0;
    int to = 0;
    selectedSpan(line, from, to);
    return column >= from && column < to;
}

void TextSelection::selectedSpan(int line, int& from, int& to) const {
    from = to = 0;
    if (m_anchor == m_caret)
        return;
    TextPos start;
    TextPos end;
    orderedRange(start, end);
    if (line < start.line || line > end.line)
        return;
    from = line == start.line ? start.column : 0;
    to = line == end.line ? end.column : std::numeric_limits<int>::max();
}

std::string TextSelection::SelectedText() const {
    if (m_anchor == m_caret)
        return {};
    TextPos start;
    TextPos end;
    orderedRange(start, end);
    auto part = [this](int line, int from, int to) {
        const int len = lineLength(line);
        from = std::clamp(from, 0, len);
        to = std::clamp(to, from, len);
        return line < lineCount() ? m_store.text(line).substr(from, to - from) : std::string();
    };
    if (start.line == end.line)
        return part(start.line, start.column, end.column);
    std::string text = part(start.line, start.column, lineLength(start.line)) + "\r\n";
    for (int line = start.line + 1; line < end.line; ++line)
        text += part(line, 0, lineLength(line)) + "\r\n";
    return text + part(end.line, 0, end.column);
}

void TextSelection::selectWordAt(int column, int line) {
    const TextPos at = clamped(column, line);
    const std::string& text = m_store.text(at.line);
    const int len = static_cast<int>(text.size());
    int start = at.column;
    while (start >= 0 && (start >= len || isWordByte(text, start)))
        --start;
    start = start >= 0 ? start + 1 : 0;
    int end = at.column;
    while (end < len && isWordByte(text, end))
        ++end;
    m_caret = clamped(start, at.line);
    m_anchor = clamped(end, at.line);
}

void TextSelection::setCaretClamped(int column, int line) {
    m_caret = clamped(column, line);
}

void TextSelection::CollapseAnchor(bool shiftHeld) {
    if (!shiftHeld)
        m_anchor = m_caret;
    m_hooks->repaintLines(m_anchor.line, m_caret.line, 0);
}

void TextSelection::moveLeft() {
    if (--m_caret.column >= 0)
        return;
    if (m_caret.line <= 0)
        m_caret.column = 0;
    else
        m_caret = TextPos{lineLength(m_caret.line - 1), m_caret.line - 1};
}

void TextSelection::moveRight() {
    if (m_caret.line >= lineCount())
        m_caret = endOfText();
    ++m_caret.column;
    if (m_caret.column <= lineLength(m_caret.line))
        return;
    if (m_caret.line < lineCount() - 1)
        m_caret = TextPos{0, m_caret.line + 1};
    else
        --m_caret.column;
}

void TextSelection::moveUp() {
    if (m_caret.line >= 1)
        m_caret = TextPos{std::min(m_caret.column, lineLength(m_caret.line - 1)), m_caret.line - 1};
}

void TextSelection::moveDown() {
    if (m_caret.line < lineCount() - 1)
        m_caret = TextPos{std::min(m_caret.column, lineLength(m_caret.line + 1)), m_caret.line + 1};
}

// Steps back over blanks, then over the letters and digits of one word; a lone punctuation
// mark right before the caret counts as a word of its own.
void TextSelection::moveWordLeft() {
    if (m_caret.column == 0 || m_caret.line >= lineCount()) {
        moveLeft();
        return;
    }
    const std::string& text = m_store.text(m_caret.line);
    const int column = std::min(m_caret.column, static_cast<int>(text.size()));
    int i = column;
    bool seen = false;
    for (;;) {
        if (--i < 0) {
            i = 0;
            break;
        }
        if (!isSpaceByte(text, i))
            seen = true;
        if (!isWordByte(text, i) && seen) {
            if (i != column - 1)
                ++i;
            break;
        }
    }
    m_caret.column = i;
}

// Steps over blanks, then to the end of the next word; a punctuation mark right at the caret
// is stepped over on its own.
void TextSelection::moveWordRight() {
    if (m_caret.line >= lineCount() || m_caret.column >= lineLength(m_caret.line)) {
        ++m_caret.line;
        if (m_caret.line < lineCount())
            m_caret.column = 0;
        else
            m_caret = endOfText();
        return;
    }
    const std::string& text = m_store.text(m_caret.line);
    const int len = static_cast<int>(text.size());
    const int column = m_caret.column;
    int i = column;
    bool seen = false;
    for (;;) {
        if (i >= len) {
            i = len;
            break;
        }
        if (!isSpaceByte(text, i))
            seen = true;
        if (!isWordByte(text, i) && seen) {
            if (i == column)
                ++i;
            break;
        }
        ++i;
    }
    m_caret.column = i;
}

void TextSelection::moveHome(bool ctrl) {
    m_caret = ctrl ? TextPos{} : TextPos{0, m_caret.line};
}

void TextSelection::moveEnd(bool ctrl) {
    if (ctrl)
        m_caret = endOfText();
    else
        m_caret.column = lineLength(m_caret.line);
}

void TextSelection::movePageUp() {
    int target = m_caret.line - m_hooks->visibleLines();
    if (target < 1)
        target = 0;
    m_caret = TextPos{std::min(m_caret.column, lineLength(target)), target};
    m_hooks->ScrollToLine(target);
}

void TextSelection::movePageDown() {
    int target = m_caret.line + m_hooks->visibleLines();
    if (target >= lineCount() - 1)
        target = lineCount() - 1;
    m_caret = TextPos{std::min(m_caret.column, lineLength(target)), target};
    m_hooks->ScrollToLine(target);
}

} // namespace tovan
