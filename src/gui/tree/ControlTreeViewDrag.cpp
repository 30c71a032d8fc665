// Deleting items, and moving them by drag and drop.
#include "gui/tree/CControlTreeView.h"
#include "core/tree/Labels.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

namespace tovan {

namespace {

bool isWithin(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor) {
    for (const QTreeWidgetItem* up = item; up; up = up->parent())
        if (up == ancestor)
            return true;
    return false;
}

void removeEntries(CommandStore& store, const QTreeWidgetItem* item) {
    store.removeEntry(ControlTreeItems::itemId(item));
    for (int i = 0; i < item->childCount(); ++i)
        removeEntries(store, item->child(i));
}

} // namespace

void CControlTreeView::deleteItem(QTreeWidgetItem* item) {
    forgetItemsIn(item);
    const bool topLevel = item == m_items.rootItem();
    if (!m_dragging)
        removeEntries(m_store, item);
    if (topLevel)
        m_items.setRootItem(nullptr);
    delete item;
    if (topLevel)
        setRootItem(m_rootLabel);
}

void CControlTreeView::forgetItemsIn(QTreeWidgetItem* item) {
    for (QTreeWidgetItem** kept : {&m_pressedItem, &m_dragSource, &m_dropTarget, &m_dropHighlight})
        if (*kept && isWithin(*kept, item))
            *kept = nullptr;
}

void CControlTreeView::beginDrag(QTreeWidgetItem* source) {
    m_dragSource = source;
    m_dropTarget = nullptr;
    m_dragging = true;
}

// Over no item, the target stays the last item the pointer passed over.
void CControlTreeView::dragOver(QTreeWidgetItem* item) {
    if (!m_dragging || !item)
        return;
    setDropHighlight(item);
    m_dropTarget = item;
}

bool CControlTreeView::canDrop(QTreeWidgetItem* source, QTreeWidgetItem* target) const {
    if (!source || !target || !source->parent())
        return false;
    if (isWithin(target, source) || target == source->parent())
        return false;
    return m_store.entryLength(itemId(target)) == 0;
}

bool CControlTreeView::dropOn(QTreeWidgetItem* source, QTreeWidgetItem* target) {
    const bool accepted = canDrop(source, target);
    if (!accepted) {
        QApplication::beep();
        endDrag();
        return false;
    }
    // The moved items keep their ids, so their entries must survive the deletions.
    m_dragging = true;
    ++m_quiet;
    QTreeWidgetItem* moved = copySubtree(source, target);
    deleteItem(source);
    --m_quiet;
    endDrag();
    target->setExpanded(true);
    setCurrentItem(moved);
    return true;
}

QTreeWidgetItem* CControlTreeView::copySubtree(QTreeWidgetItem* item, QTreeWidgetItem* newParent) {
    QTreeWidgetItem* copy = m_items.insert(
        newParent, item->text(0).left(static_cast<qsizetype>(LABEL_LIMIT)),
        ControlTreeItems::image(item), ControlTreeItems::selectedImage(item), itemId(item));
    const bool expanded = item->isExpanded();
    while (QTreeWidgetItem* child = item->child(0)) {
        copySubtree(child, copy);
        deleteItem(child);
    }
    copy->setExpanded(expanded);
    setModified(true);
    return copy;
}

void CControlTreeView::setDropHighlight(QTreeWidgetItem* item) {
    if (item == m_dropHighlight)
        return;
    if (m_dropHighlight)
        m_dropHighlight->setData(0, DROP_HIGHLIGHT_ROLE, QVariant());
    m_dropHighlight = item;
    if (item)
        item->setData(0, DROP_HIGHLIGHT_ROLE, true);
}

void CControlTreeView::endDrag() {
    m_dragging = false;
    m_dragSource = nullptr;
    m_dropTarget = nullptr;
    setDropHighlight(nullptr);
}

// No drag picture: the highlighted target shows where the item goes.
void CControlTreeView::startDrag(Qt::DropActions) {
    QTreeWidgetItem* source = m_pressedItem ? m_pressedItem : currentItem();
    if (!source)
        return;
    beginDrag(source);
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setData(QLatin1String(TREE_ITEM_MIME), QByteArray());
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction);
    // Dropped outside the tree, or cancelled with Escape: nothing moves.
    if (m_dragging)
        endDrag();
}

void CControlTreeView::dragEnterEvent(QDragEnterEvent* event) {
    if (m_dragging && event->mimeData()->hasFormat(QLatin1String(TREE_ITEM_MIME)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CControlTreeView::dragMoveEvent(QDragMoveEvent* event) {
    if (!m_dragging || !event->mimeData()->hasFormat(QLatin1String(TREE_ITEM_MIME))) {
        event->ignore();
        return;
    }
    QTreeWidget::dragMoveEvent(event); // scrolls the tree near its edges
    dragOver(itemAt(event->position().toPoint()));
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CControlTreeView::dropEvent(QDropEvent* event) {
    if (!m_dragging || !event->mimeData()->hasFormat(QLatin1String(TREE_ITEM_MIME))) {
        event->ignore();
        return;
    }
    stopAutoScroll();
    setState(QAbstractItemView::NoState);
    event->setDropAction(Qt::MoveAction);
    event->accept();
    dropOn(m_dragSource, m_dropTarget);
}

} // namespace tovan
