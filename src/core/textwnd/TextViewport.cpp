#include "core/textwnd/TextViewport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tovan {

namespace {

// a * b / c rounded to the nearest integer, halves away from zero.
int mulDiv(int a, int b, int c) {
    const std::int64_t product = std::int64_t(a) * b;
    const std::int64_t half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

} // namespace

void TextViewport::setOrigin(int firstColumn, int firstLine) {
    m_firstColumn = firstColumn;
    m_firstLine = firstLine;
}

void TextViewport::setCellSize(int cellWidth, int lineHeight) {
    m_cellWidth = std::max(cellWidth, 1);
    m_lineHeight = std::max(lineHeight, 1);
}

void TextViewport::setClientSize(int width, int height) {
    m_clientWidth = std::max(width, 0);
    m_clientHeight = std::max(height, 0);
}

int TextViewport::visibleLines(int lineCount) const {
    return std::min(lineCount, visibleLinesFull());
}

int TextViewport::lastVisibleLine(int lineCount) const {
    return std::min(lineCount, m_firstLine + visibleLines(lineCount));
}

TextViewport::Bar TextViewport::verticalBar(int lineCount) const {
    Bar bar;
    bar.page = visibleLines(lineCount);
    bar.needed = lineCount > bar.page;
    bar.maximum = bar.needed ? lineCount - bar.page : 0;
    bar.position = m_firstLine;
    return bar;
}

TextViewport::Bar TextViewport::horizontalBar(int longestLine) const {
    Bar bar;
    bar.page = std::max(visibleColumns(), 0);
    bar.needed = longestLine > visibleColumns();
    bar.maximum = bar.needed ? longestLine - bar.page : 0;
    bar.position = m_firstColumn;
    return bar;
}

bool TextViewport::scrollVertically(Scroll action, int thumb, int lineCount) {
    const int old = m_firstLine;
    const int page = visibleLines(lineCount);
    switch (action) {
    case Scroll::LineBack:
        if (m_firstLine > 0)
            --m_firstLine;
        break;
    case Scroll::LineForward:
        if (m_firstLine < lineCount - page)
            ++m_firstLine;
        break;
    case Scroll::PageBack:
        m_firstLine = std::max(0, m_firstLine - page * 3 / 4);
        break;
    case Scroll::PageForward:
        // No upper limit: paging past the end leaves an empty view until the next scroll.
        m_firstLine += page * 3 / 4;
        break;
    case Scroll::ToStart:
        m_firstLine = 0;
        break;
    case Scroll::ToEnd:
        m_firstLine = std::max(0, lineCount - page);
        break;
    case Scroll::Thumb:
        if (thumb != m_firstLine)
            m_firstLine = std::max(0, std::min(thumb, lineCount));
        break;
    }
    return m_firstLine != old;
}

bool TextViewport::scrollHorizontally(Scroll action, int thumb, int longestLine) {
    const int old = m_firstColumn;
    const int page = (m_clientWidth / m_cellWidth) * 3 / 4;
    switch (action) {
    case Scroll::LineBack:
        if (m_firstColumn > 0)
            --m_firstColumn;
        break;
    case Scroll::LineForward:
        if (m_firstColumn < longestLine - visibleColumns())
            ++m_firstColumn;
        break;
    case Scroll::PageBack:
        m_firstColumn = std::max(0, m_firstColumn - page);
        break;
    case Scroll::PageForward:
        m_firstColumn += page;
        break;
    case Scroll::ToStart:
        m_firstColumn = 0;
        break;
    case Scroll::ToEnd:
        // The mirror of the vertical bottom: the ends of the longest lines come into view.
        m_firstColumn = std::max(0, longestLine - visibleColumns());
        break;
    case Scroll::Thumb:
        if (thumb != m_firstColumn)
            m_firstColumn = std::max(0, std::min(thumb, longestLine - visibleColumns()));
        break;
    }
    return m_firstColumn != old;
}

// A notch is 5 lines. A message of several notches towards the user still moves only 5 lines;
// several notches away from the user move 5 lines each. Movements smaller than half a notch
// (touchpads) are added up until they make one.
bool TextViewport::wheel(int delta, int lineCount) {
    m_wheelPending += delta;
    const int n = mulDiv(-m_wheelPending, 1, WHEEL_NOTCH);
    if (n == 0)
        return false;
    const int total = m_wheelPending;
    m_wheelPending = 0;
    int lines;
    if (n == -1)
        lines = total > 0 ? -WHEEL_LINES : WHEEL_LINES;
    else
        lines = std::min(n * WHEEL_LINES, WHEEL_LINES);
    const int old = m_firstLine;
    m_firstLine = std::max(0, std::min(m_firstLine + lines, lineCount - visibleLines(lineCount)));
    return m_firstLine != old;
}

void TextViewport::ScrollToLine(int line, int lineCount) {
    m_firstLine = std::max(0, std::min(line, lineCount - 1));
}

void TextViewport::EnsureCaretVisible(TextPos caret, int lineCount, bool& movedVertically,
                                      bool& movedHorizontally) {
    const int oldLine = m_firstLine;
    const int bottom = lastVisibleLine(lineCount) - 1;
    if (caret.line > bottom && visibleLines(lineCount) < lineCount - 1)
        m_firstLine = std::max(0, m_firstLine + caret.line - bottom);
    else if (caret.line < m_firstLine)
        m_firstLine = caret.line;
    movedVertically = m_firstLine != oldLine;

    const int oldColumn = m_firstColumn;
    const int w = visibleColumns();
    if (caret.column > m_firstColumn + w)
        m_firstColumn = caret.column - w + w / 4;
    else if (caret.column < m_firstColumn)
        m_firstColumn = std::max(0, caret.column - w / 4);
    movedHorizontally = m_firstColumn != oldColumn;
}

int TextViewport::cellLeft(int column) const {
    return LEFT_MARGIN + (column - m_firstColumn) * m_cellWidth;
}

int TextViewport::lineTop(int line) const {
    return (line - m_firstLine) * m_lineHeight;
}

int TextViewport::columnAtPress(int x) const {
    return (x - LEFT_MARGIN + m_cellWidth / 2) / m_cellWidth + m_firstColumn;
}

int TextViewport::columnAtDrag(int x, int pressXInText) const {
    const double inText = x - LEFT_MARGIN;
    const double cell = m_cellWidth;
    if (inText > pressXInText)
        return static_cast<int>(std::floor((inText + cell) / cell) + m_firstColumn - 1);
    return static_cast<int>(std::ceil((inText - cell) / cell) + m_firstColumn);
}

} // namespace tovan
