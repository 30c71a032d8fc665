#pragma once

class QEvent;
class QKeyEvent;

namespace tovan {

class ColorEditWnd;

// The keyboard of a traffic window: the accelerators (Ctrl+C, Ctrl+V, Ctrl+Y), the keys that
// move the caret or delete, and typed text. Owned by its window.
class ColorEditKeyHandler {
public:
    explicit ColorEditKeyHandler(ColorEditWnd& window) : m_window(window) {}

    // Takes the keys the window wants before the focus chain and the shortcuts see them: Tab
    // (typed, not a focus move), the accelerators and every key that edits or moves. Returns
    // whether the event was taken.
    bool takeEarly(QEvent* event);
    void keyPress(QKeyEvent* event);

private:
    bool handleAccelerator(QKeyEvent* event);
    bool handleTableKey(QKeyEvent* event);
    void deleteAtCaret(bool backwards);
    void moveCaret(int key, bool ctrl, bool shift);
    void typeText(QKeyEvent* event);
    void typeCharacter(unsigned char ch);

    ColorEditWnd& m_window;
};

} // namespace tovan
