#pragma once

class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QTreeWidgetItem;

namespace tovan {

class CControlTreeView;

// Moving items of a command tree by drag and drop, move only and without a drag picture: the
// item under the pointer is highlighted as the target. A drop onto the source, into its
// subtree, onto its parent or onto a command, and any drag of the top-level item, is refused
// with a beep. Owned by its view.
class TreeDragHandler {
public:
    explicit TreeDragHandler(CControlTreeView& view) : m_view(view) {}

    bool isDragging() const { return m_dragging; }
    QTreeWidgetItem* dropHighlightItem() const { return m_dropHighlight; }

    // The item the left button went down on: a drag that starts now moves it.
    void notePress(QTreeWidgetItem* item) { m_pressedItem = item; }
    void beginDrag(QTreeWidgetItem* source);
    void dragOver(QTreeWidgetItem* item);
    bool dropOn(QTreeWidgetItem* source, QTreeWidgetItem* target);
    // Lets go of every item in the subtree of `item`, which is about to be deleted.
    void forgetItemsIn(QTreeWidgetItem* item);

    void startDrag();
    void dragEnter(QDragEnterEvent* event);
    void dragMove(QDragMoveEvent* event);
    void drop(QDropEvent* event);

private:
    bool canDrop(QTreeWidgetItem* source, QTreeWidgetItem* target) const;
    QTreeWidgetItem* copySubtree(QTreeWidgetItem* item, QTreeWidgetItem* newParent);
    void setDropHighlight(QTreeWidgetItem* item);
    void endDrag();

    CControlTreeView& m_view;
    bool m_dragging = false;
    QTreeWidgetItem* m_pressedItem = nullptr;
    QTreeWidgetItem* m_dragSource = nullptr;
    QTreeWidgetItem* m_dropTarget = nullptr;
    QTreeWidgetItem* m_dropHighlight = nullptr;
};

} // namespace tovan
