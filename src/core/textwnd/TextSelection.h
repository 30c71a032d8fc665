#pragma once

#include "core/textwnd/TextPos.h"

#include <string>

namespace tovan {

class ColorEditHooks;
class LineStore;

// The caret and the selection anchor of the traffic window's text, and every way they move:
// the caret movements of the keys, word selection, points clamped into the text, and what the
// selection covers. It reads the lines it moves over and never changes them; the editing of
// ColorEditModel places the caret after each change.
class TextSelection {
public:
    TextSelection(const LineStore& store, ColorEditHooks* hooks);
    TextSelection(const TextSelection&) = delete;
    TextSelection& operator=(const TextSelection&) = delete;

    void setHooks(ColorEditHooks* hooks) { m_hooks = hooks; }

    TextPos caret() const { return m_caret; }
    TextPos anchor() const { return m_anchor; }
    bool isEmpty() const { return m_anchor == m_caret; }
    // The caret as editing left it; the anchor stays.
    void setCaret(TextPos caret) { m_caret = caret; }
    // Caret and anchor both at `at`: nothing selected.
    void placeAt(TextPos at) { m_caret = m_anchor = at; }
    // The anchor joins the caret: nothing selected.
    void collapse() { m_anchor = m_caret; }
    // Both points at the start, and the last answer of HasSelection forgotten (a reset text).
    void reset();
    // The two points in text order.
    void orderedRange(TextPos& start, TextPos& end) const;

    void SetSelection(int anchorColumn, int anchorLine, int caretColumn, int caretLine);
    void SelectAll();
    // Whether anchor and caret differ; repaints when that answer changed since it was last given.
    bool HasSelection();
    bool IsSelected(int column, int line) const;
    void selectedSpan(int line, int& from, int& to) const;
    std::string SelectedText() const;
    void selectWordAt(int column, int line);
    void setCaretClamped(int column, int line);
    void CollapseAnchor(bool shiftHeld);

    void moveLeft();
    void moveRight();
    void moveUp();
    void moveDown();
    void moveWordLeft();
    void moveWordRight();
    void moveHome(bool ctrl);
    void moveEnd(bool ctrl);
    void movePageUp();
    void movePageDown();

private:
    TextPos clamped(int column, int line) const;
    TextPos endOfText() const;
    int lineCount() const;
    int lineLength(int line) const;

    const LineStore& m_store;
    ColorEditHooks* m_hooks;
    TextPos m_caret;
    TextPos m_anchor;
    bool m_selectionSeen = false;
};

} // namespace tovan
