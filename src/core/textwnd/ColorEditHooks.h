#pragma once

namespace tovan {

// What the text model needs from the window that shows it. The model decides what changed;
// the window decides how to show it. Without a window (tests, benchmarks) every hook may do
// nothing and visibleLines() may answer 0.
class ColorEditHooks {
public:
    virtual ~ColorEditHooks() = default;

    // Bring ranges, pages and positions of the scroll bars up to date with the text.
    virtual void UpdateScrollBars() = 0;
    virtual void repaintAll() = 0;
    // Repaint the lines from `a` to `b` (either order), each grown by `grow` pixels up and down.
    virtual void repaintLines(int a, int b, int grow) = 0;
    // Repaint from the top of `line` to the bottom of the window.
    virtual void repaintFrom(int line) = 0;
    virtual void EnsureCaretVisible() = 0;
    // Put the caret where the model's caret is (when the window has the focus).
    virtual void showCaret() = 0;
    // Make `line` the first visible line.
    virtual void ScrollToLine(int line) = 0;
    // Lines that fit in the window, at most the line count: the page of page up and page down.
    virtual int visibleLines() const = 0;
    // The text changed (or was said to change): tell whoever listens to the window.
    virtual void notifyChange() = 0;
    // The text was reset: scroll origin to the start, no mouse selection, no caret.
    virtual void resetView() = 0;
};

// Hooks for a model that no window shows.
class NoWindowHooks : public ColorEditHooks {
public:
    void UpdateScrollBars() override {}
    void repaintAll() override {}
    void repaintLines(int, int, int) override {}
    void repaintFrom(int) override {}
    void EnsureCaretVisible() override {}
    void showCaret() override {}
    void ScrollToLine(int) override {}
    int visibleLines() const override { return 0; }
    void notifyChange() override {}
    void resetView() override {}
};

} // namespace tovan
