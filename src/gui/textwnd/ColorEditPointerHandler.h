#pragma once

#include "core/textwnd/TextPos.h"

class QEvent;
class QMouseEvent;
class QObject;
class QPoint;
class QWheelEvent;

namespace tovan {

class ColorEditWnd;

// The mouse of a traffic window: selecting with the left button, selecting a word with a
// double-click, the wheel, and the actions of the scroll bars. Owned by its window.
class ColorEditPointerHandler {
public:
    explicit ColorEditPointerHandler(ColorEditWnd& window) : m_window(window) {}

    void press(QMouseEvent* event);
    void move(QMouseEvent* event);
    void release(QMouseEvent* event);
    void doubleClick(QMouseEvent* event);
    void wheel(QWheelEvent* event);
    // The wheel turned over one of the window's scroll bars scrolls the text by the same rule;
    // returns whether `event` was such a turn.
    bool takeScrollBarWheel(QObject* watched, QEvent* event);
    void verticalAction(int action);
    void horizontalAction(int action);
    // Forgets a selection drag in progress: without the button held there is nothing to follow.
    void endSelecting() { m_selecting = false; }

private:
    TextPos pointAt(const QPoint& pos, bool forDrag) const;

    ColorEditWnd& m_window;
    // The left button went down in the window and has not come up.
    bool m_selecting = false;
    // x of the button-down point, less the left margin.
    int m_downX = 0;
};

} // namespace tovan
