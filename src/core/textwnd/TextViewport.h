#pragma once

#include "core/textwnd/TextPos.h"

namespace tovan {

// The traffic window's view onto its text: the scroll origin (first visible line and column),
// the client area and the character cell, and the arithmetic of scrolling, hit-testing and
// keeping the caret in view. Pure integers, so every scrolling rule is tested without a window.
class TextViewport {
public:
    // Text starts this many pixels right of the client area's left edge and never scrolls there.
    static constexpr int LEFT_MARGIN = 10;
    // A wheel notch moves the view this many lines.
    static constexpr int WHEEL_LINES = 5;
    // One notch of a mouse wheel, in the units wheel events report.
    static constexpr int WHEEL_NOTCH = 120;

    // What a scroll bar asks for.
    enum class Scroll { LineBack, LineForward, PageBack, PageForward, ToStart, ToEnd, Thumb };

    // A scroll bar as the window shows it: positions 0..maximum with a thumb of `page` positions
    // (so maximum + page - 1 is the last line or column), and the current position.
    struct Bar {
        int maximum = 0;
        int page = 0;
        int position = 0;
        bool needed = false;
    };

    int firstLine() const { return m_firstLine; }
    int firstColumn() const { return m_firstColumn; }
    void setOrigin(int firstColumn, int firstLine);
    int cellWidth() const { return m_cellWidth; }
    int lineHeight() const { return m_lineHeight; }
    // Sizes below one pixel are taken as one: every division by them stays defined.
    void setCellSize(int cellWidth, int lineHeight);
    void setClientSize(int width, int height);
    int clientWidth() const { return m_clientWidth; }
    int clientHeight() const { return m_clientHeight; }

    // Whole lines that fit in the client area.
    int visibleLinesFull() const { return m_clientHeight / m_lineHeight; }
    // Lines shown, at most the line count: the page of the keys and the scroll bar.
    int visibleLines(int lineCount) const;
    int lastVisibleLine(int lineCount) const;
    int visibleColumns() const { return m_clientWidth / m_cellWidth - 1; }

    Bar verticalBar(int lineCount) const;
    Bar horizontalBar(int longestLine) const;

    // Apply a scroll-bar request; `thumb` is the position for Scroll::Thumb. Return whether the
    // origin moved.
    bool scrollVertically(Scroll action, int thumb, int lineCount);
    bool scrollHorizontally(Scroll action, int thumb, int longestLine);
    // Apply a wheel movement (positive = away from the user = towards the top). Returns whether
    // the first visible line changed.
    bool wheel(int delta, int lineCount);
    void ScrollToLine(int line, int lineCount);
    // Scroll so that the caret is in view. Reports which directions moved.
    void EnsureCaretVisible(TextPos caret, int lineCount, bool& movedVertically,
                            bool& movedHorizontally);

    // Pixel geometry. The caret is drawn one pixel left of its cell's left edge.
    int cellLeft(int column) const;
    int lineTop(int line) const;
    int caretX(int column) const { return cellLeft(column) - 1; }

    // The column a button press at x selects: the nearest cell boundary.
    int columnAtPress(int x) const;
    // The column a drag to x selects, given the press point less the margin: dragging right
    // selects up to the left edge of the cell under the pointer, dragging left includes it.
    int columnAtDrag(int x, int pressXInText) const;
    int lineAt(int y) const { return y / m_lineHeight + m_firstLine; }

private:
    int m_firstLine = 0;
    int m_firstColumn = 0;
    int m_cellWidth = 10;
    int m_lineHeight = 10;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    int m_wheelPending = 0;
};

} // namespace tovan
