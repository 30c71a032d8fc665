#pragma once

class QMenu;
class QPoint;

namespace tovan {

class ColorEditWnd;

// The edit commands of a traffic window (coloredit::ID_EDIT_...): when each is enabled,
// running them, the context menu that offers them and the clipboard they use. Owned by its
// window.
class ColorEditCommandHandler {
public:
    explicit ColorEditCommandHandler(ColorEditWnd& window) : m_window(window) {}

    bool isEnabled(int commandId);
    bool run(int commandId);
    // Context menu 133 with every entry's enabled state up to date; the caller owns it.
    QMenu* createContextMenu();
    void showContextMenu(const QPoint& globalPos);

    void copy();
    void cut();
    void paste();
    void selectAll();

private:
    static bool canPaste();

    ColorEditWnd& m_window;
};

} // namespace tovan
