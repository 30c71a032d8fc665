#pragma once

#include "core/textwnd/ColorEditHooks.h"
#include "core/textwnd/LineStore.h"
#include "core/textwnd/TextPos.h"
#include "core/textwnd/TextSelection.h"

#include <string>
#include <string_view>

namespace tovan {

// The text of the traffic window and everything done to it: the lines with their colours,
// editing and the log operation AddLine. The caret, the selection anchor and their movement
// are its TextSelection's; the model passes them on. It reaches the window only through
// ColorEditHooks.
//
// Texts are byte strings. Line feeds split lines, tabs become spaces up to the next tab stop,
// printable bytes (see CharClass.h) are kept and every other byte (carriage returns, other
// control bytes, NUL) is dropped.
class ColorEditModel {
public:
    static constexpr int DEFAULT_LINE_LIMIT = 1000;

    // A tab width below 1 is taken as 1: the tab stops must be at least one column apart.
    explicit ColorEditModel(int tabWidth, ColorEditHooks* hooks = nullptr);
    ColorEditModel(const ColorEditModel&) = delete;
    ColorEditModel& operator=(const ColorEditModel&) = delete;

    void setHooks(ColorEditHooks* hooks);

    const LineStore& store() const { return m_store; }
    int lineCount() const { return m_store.lineCount(); }
    TextPos caret() const { return m_selection.caret(); }
    TextPos anchor() const { return m_selection.anchor(); }
    int tabWidth() const { return m_tabWidth; }
    int lineLimit() const { return m_lineLimit; }
    void setLineLimit(int limit) { m_lineLimit = limit < 1 ? 1 : limit; }
    bool isReadOnly() const { return m_readOnly; }
    Colour backgroundColour() const { return m_backColour; }
    Colour selectionBackColour() const { return m_selBackColour; }
    Colour selectionTextColour() const { return m_selTextColour; }

    // --- The log and the whole text -------------------------------------------------------
    // Empty text, caret and anchor at the start, view back at the origin.
    void Reset();
    // Puts `text` in front of everything else in `colour`. Cuts the store to the line limit
    // first, so at most a few lines over the limit are ever held.
    void AddLine(std::string_view text, Colour colour);
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    void SetSelectionBackColour(Colour colour);
    void SetSelectionTextColour(Colour colour);

    // --- Editing ---------------------------------------------------------------------------
    // Multi-line insertion at the caret; every line it touches takes `colour` as a whole.
    void InsertColouredText(std::string_view text, Colour colour);
    // The same in the default colour (what Paste uses).
    void InsertText(std::string_view text);
    // Typing: one-line insertion at the caret; the line becomes the default colour.
    void InsertString(std::string_view s);
    void InsertTab();
    void InsertNewline();
    void Backspace();
    void DeleteForward();
    void DeleteSelection();
    // Spaces from `column` up to the next tab stop (always at least one).
    std::string TabFill(int column) const;

    // --- Selection ----------------------------------------------------------------------------
    void SetSelection(int anchorColumn, int anchorLine, int caretColumn, int caretLine) {
        m_selection.SetSelection(anchorColumn, anchorLine, caretColumn, caretLine);
    }
    void SelectAll() { m_selection.SelectAll(); }
    // Whether anchor and caret differ; repaints when that answer changed since it was last given.
    bool HasSelection() { return m_selection.HasSelection(); }
    bool IsSelected(int column, int line) const { return m_selection.IsSelected(column, line); }
    // The columns [from, to) of `line` that IsSelected accepts; from == to when none. Columns
    // beyond the line's end may be included but hold no character.
    void selectedSpan(int line, int& from, int& to) const {
        m_selection.selectedSpan(line, from, to);
    }
    // The selected text, lines joined with CR LF.
    std::string SelectedText() const { return m_selection.SelectedText(); }
    // Selects the word at a point (double-click); a byte that is not part of a word selects
    // just itself.
    void selectWordAt(int column, int line) { m_selection.selectWordAt(column, line); }
    // Moves the caret to a point, clamped into the text; the anchor stays.
    void setCaretClamped(int column, int line) { m_selection.setCaretClamped(column, line); }
    // The anchor follows the caret unless Shift extends the selection; repaints the lines between.
    void CollapseAnchor(bool shiftHeld) { m_selection.CollapseAnchor(shiftHeld); }

    // --- Caret movement (the keys) -----------------------------------------------------------
    void moveLeft() { m_selection.moveLeft(); }
    void moveRight() { m_selection.moveRight(); }
    void moveUp() { m_selection.moveUp(); }
    void moveDown() { m_selection.moveDown(); }
    void moveWordLeft() { m_selection.moveWordLeft(); }
    void moveWordRight() { m_selection.moveWordRight(); }
    void moveHome(bool ctrl) { m_selection.moveHome(ctrl); }
    void moveEnd(bool ctrl) { m_selection.moveEnd(ctrl); }
    void movePageUp() { m_selection.movePageUp(); }
    void movePageDown() { m_selection.movePageDown(); }

private:
    void insertMultiLine(std::string_view text, std::optional<Colour> colour);
    TextPos finishSplitInsert(const std::string& segment, const std::string& tail,
                              std::optional<Colour> colour, TextPos caret);
    TextPos finishInlineInsert(const std::string& segment, std::optional<Colour> colour,
                               TextPos caret);
    void joinWithNextLine(int line);
    int lineLength(int line) const { return m_store.lineLength(line); }

    LineStore m_store;
    NoWindowHooks m_noWindow;
    ColorEditHooks* m_hooks;
    TextSelection m_selection;
    int m_tabWidth;
    int m_lineLimit = DEFAULT_LINE_LIMIT;
    bool m_readOnly = false;
    Colour m_backColour = 0xFFFFFF;
    Colour m_selBackColour = 0x000000;
    Colour m_selTextColour = 0xFFFFFF;
};

} // namespace tovan
