#include "gui/tree/TreeDragHandler.h"

#include "core/tree/Labels.h"
#include "gui/tree/CControlTreeView.h"

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

} // namespace

void TreeDragHandler::forgetItemsIn(QTreeWidgetItem* item) {
    for (QTreeWidgetItem** kept : {&m_pressedItem, &m_dragSource, &m_dropTarget, &m_dropHighlight})
        if (*kept && isWithin(*kept, item))
            *kept = nullptr;
}

void TreeDragHandler::beginDrag(QTreeWidgetItem* source) {
    m_dragSource = source;
    m_dropTarget = nullptr;
    m_dragging = true;
}

// Over no item, the target stays the last item the pointer passed over.
void TreeDragHandler::dragOver(QTreeWidgetItem* item) {
    if (!m_dragging || !item)
        return;
    setDropHighlight(item);
    m_dropTarget = item;
}

bool TreeDragHandler::canDrop(QTreeWidgetItem* source, QTreeWidgetItem* target) const {
    if (!source || !target || !source->parent())
        return false;
    if (isWithin(target, source) || target == source->parent())
        return false;
    return m_view.store().entryLength(CControlTreeView::itemId(target)) == 0;
}

bool TreeDragHandler::dropOn(QTreeWidgetItem* source, QTreeWidgetItem* target) {
    const bool accepted = canDrop(source, target);
    if (!accepted) {
        QApplication::beep();
        endDrag();
        return false;
    }
    // The moved items keep their ids, so their entries must survive the deletions.
    m_dragging = true;
    ++m_view.m_quiet;
    QTreeWidgetItem* moved = copySubtree(source, target);
    m_view.deleteItem(source);
    --m_view.m_quiet;
    endDrag();
    target->setExpanded(true);
    m_view.setCurrentItem(moved);
    return true;
}

QTreeWidgetItem* TreeDragHandler::copySubtree(QTreeWidgetItem* item, QTreeWidgetItem* newParent) {
    QTreeWidgetItem* copy =
        m_view.m_items.insert(newParent, item->text(0).left(static_cast<qsizetype>(LABEL_LIMIT)),
                              ControlTreeItems::image(item), ControlTreeItems::selectedImage(item),
                              CControlTreeView::itemId(item));
    const bool expanded = item->isExpanded();
    while (QTreeWidgetItem* child = item->child(0)) {
        copySubtree(child, copy);
        m_view.deleteItem(child);
    }
    copy->setExpanded(expanded);
    m_view.setModified(true);
    return copy;
}

void TreeDragHandler::setDropHighlight(QTreeWidgetItem* item) {
    if (item == m_dropHighlight)
        return;
    if (m_dropHighlight)
        m_dropHighlight->setData(0, DROP_HIGHLIGHT_ROLE, QVariant());
    m_dropHighlight = item;
    if (item)
        item->setData(0, DROP_HIGHLIGHT_ROLE, true);
}

void TreeDragHandler::endDrag() {
    m_dragging = false;
    m_dragSource = nullptr;
    m_dropTarget = nullptr;
    setDropHighlight(nullptr);
}

// --- The view's drag and drop events ---------------------------------------------------------

// No drag picture: the highlighted target shows where the item goes.
void TreeDragHandler::startDrag() {
    QTreeWidgetItem* source = m_pressedItem ? m_pressedItem : m_view.currentItem();
    if (!source)
        return;
    beginDrag(source);
    auto* drag = new QDrag(&m_view);
    auto* mime = new QMimeData;
    mime->setData(QLatin1String(TREE_ITEM_MIME), QByteArray());
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction);
    // Dropped outside the tree, or cancelled with Escape: nothing moves.
    if (m_dragging)
        endDrag();
}

void TreeDragHandler::dragEnter(QDragEnterEvent* event) {
    if (m_dragging && event->mimeData()->hasFormat(QLatin1String(TREE_ITEM_MIME)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TreeDragHandler::dragMove(QDragMoveEvent* event) {
    if (!m_dragging || !event->mimeData()->hasFormat(QLatin1String(TREE_ITEM_MIME))) {
        event->ignore();
        return;
    }
    m_view.QTreeWidget::dragMoveEvent(event); // scrolls the tree near its edges
    dragOver(m_view.itemAt(event->position().toPoint()));
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void TreeDragHandler::drop(QDropEvent* event) {
    if (!m_dragging || !event->mimeData()->hasFormat(QLatin1String(TREE_ITEM_MIME))) {
        event->ignore();
        return;
    }
    m_view.stopAutoScroll();
    m_view.setState(QAbstractItemView::NoState);
    event->setDropAction(Qt::MoveAction);
    event->accept();
    dropOn(m_dragSource, m_dropTarget);
}

} // namespace tovan
