#pragma once

#include "core/textwnd/ColorEditHooks.h"
#include "core/textwnd/ColorEditModel.h"
#include "core/textwnd/TextViewport.h"
#include "gui/textwnd/ColorEditCommandHandler.h"
#include "gui/textwnd/ColorEditKeyHandler.h"
#include "gui/textwnd/ColorEditPainter.h"
#include "gui/textwnd/ColorEditPointerHandler.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QFont>
#include <QRect>

#include <string_view>

class QMenu;

namespace tovan {
class TextCaret;
}

namespace tovan {

// The coloured traffic window of a module console: the text of ColorEditModel on a fixed grid
// of character cells, with scroll bars, a caret, mouse and keyboard selection, a context menu
// and the clipboard. Consoles use it read-only and feed it with AddLine.
//
// Repaints and scroll-bar updates are collected and carried out at most once per frame of the
// screen, so a flood of AddLine calls costs one paint per frame, not one per call. Qt's backing
// store already double-buffers every paint, so nothing flickers.
//
// The window paints, scrolls and shows the caret; its key, pointer and command handlers turn
// the user's actions into calls on the model and on the window's repaint and caret helpers.
class ColorEditWnd : public QAbstractScrollArea, private ColorEditHooks {
    Q_OBJECT
public:
    // `fontSize` in tenths of a point. The control id names the window (its object name) and
    // travels with every notification, whatever the object name becomes later.
    ColorEditWnd(QWidget* parent, int controlId, int tabWidth, int fontSize = 100,
                 const QString& faceName = QStringLiteral("Courier New"),
                 bool withHorizontalBar = true);
    ~ColorEditWnd() override;

    ColorEditModel& model() { return m_model; }
    const ColorEditModel& model() const { return m_model; }
    const TextViewport& view() const { return m_view; }
    int controlId() const { return m_controlId; }
    const QFont& textFont() const { return m_font; }

    void AddLine(std::string_view text, Colour colour);
    void Reset();
    void SetReadOnly(bool readOnly) { m_model.SetReadOnly(readOnly); }
    void SetSelection(int anchorColumn, int anchorLine, int caretColumn, int caretLine);
    void SetSelectionBackColour(Colour colour) { m_model.SetSelectionBackColour(colour); }
    void SetSelectionTextColour(Colour colour) { m_model.SetSelectionTextColour(colour); }
    // Widens every cell by max(n, 0) pixels until the window is next shown after being hidden,
    // when the cells are measured from the font again.
    void AddCharSpacing(int n);

    // Marks these places behind their text (the find bar's matches), top to bottom.
    void setHighlights(std::vector<TextMatch> matches);
    const std::vector<TextMatch>& highlights() const { return m_painter.highlights(); }
    // Selects `match` and scrolls it into view.
    void showMatch(const TextMatch& match);

    // Whether an edit command (coloredit::ID_EDIT_...) is available right now.
    bool isCommandEnabled(int commandId) { return m_commands.isEnabled(commandId); }
    // Runs an edit command when it is enabled; returns whether it ran.
    bool runCommand(int commandId) { return m_commands.run(commandId); }
    // The context menu (menu 133) with every entry's enabled state up to date. The caller owns it.
    QMenu* createContextMenu() { return m_commands.createContextMenu(); }
    // Whether the caret is currently shown (only ever while the window has the focus).
    bool isCaretShown() const { return m_caretShown; }

public Q_SLOTS:
    void copy() { m_commands.copy(); }
    void cut() { m_commands.cut(); }
    void paste() { m_commands.paste(); }
    void selectAll() { m_commands.selectAll(); }

Q_SIGNALS:
    // The text changed or was edited (typing, Enter, Tab, Backspace, Delete, Cut, Paste,
    // AddLine, Reset).
    void changed(int controlId);
    void focusGained(int controlId);
    void focusLost(int controlId);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override { m_keys.keyPress(event); }
    void mousePressEvent(QMouseEvent* event) override { m_pointer.press(event); }
    void mouseMoveEvent(QMouseEvent* event) override { m_pointer.move(event); }
    void mouseReleaseEvent(QMouseEvent* event) override { m_pointer.release(event); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { m_pointer.doubleClick(event); }
    void wheelEvent(QWheelEvent* event) override { m_pointer.wheel(event); }
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The scroll origin belongs to the window, not to the scroll bars' values.
    void scrollContentsBy(int, int) override {}

private:
    // The handlers use the repaint and caret helpers below.
    friend class ColorEditCommandHandler;
    friend class ColorEditKeyHandler;
    friend class ColorEditPointerHandler;

    // ColorEditHooks
    void UpdateScrollBars() override;
    void repaintAll() override;
    void repaintLines(int a, int b, int grow) override;
    void repaintFrom(int line) override;
    void EnsureCaretVisible() override;
    void showCaret() override;
    void ScrollToLine(int line) override;
    int visibleLines() const override;
    void notifyChange() override;
    void resetView() override;

    void measureFont();
    void hideCaret();
    void placeCaretWidget();
    // The scroll origin moved: scroll bars and the whole text follow at the next frame.
    void originMoved();
    TextViewport& mutableView() { return m_view; }
    QRect linesRect(int a, int b) const;
    void repaintRect(const QRect& rect);
    void scheduleFrame();
    void flushFrame();
    void syncScrollBars();
    void shiftContents(int dx, int dy);

    ColorEditModel m_model;
    TextViewport m_view;
    ColorEditPainter m_painter;
    ColorEditKeyHandler m_keys{*this};
    ColorEditPointerHandler m_pointer{*this};
    ColorEditCommandHandler m_commands{*this};
    QFont m_font;
    TextCaret* m_caret = nullptr;
    int m_controlId;
    bool m_caretShown = false;
    bool m_remeasureOnShow = false;

    // Work collected for the next frame.
    QBasicTimer m_frameTimer;
    QElapsedTimer m_sinceFrame;
    bool m_pendingFull = false;
    QRect m_pendingRect;
    bool m_scrollBarsStale = false;
    QBasicTimer m_blinkTimer;
};

} // namespace tovan
