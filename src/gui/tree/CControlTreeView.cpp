#include "gui/tree/CControlTreeView.h"

#include "core/hub/ConsoleMessage.h"
#include "core/hub/OwnerEndpoint.h"
#include "core/tree/CommandListIO.h"
#include "gui/tree/TreeBranchStyle.h"
#include "gui/tree/TreeImages.h"
#include "gui/tree/TreeLabelDelegate.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tovan {

namespace {

void removeEntries(CommandStore& store, const QTreeWidgetItem* item) {
    store.removeEntry(ControlTreeItems::itemId(item));
    for (int i = 0; i < item->childCount(); ++i)
        removeEntries(store, item->child(i));
}

} // namespace

CControlTreeView::CControlTreeView(QWidget* parent) : QTreeWidget(parent), m_items(*this) {
    setColumnCount(1);
    setHeaderHidden(true);
    setSortingEnabled(false);
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setIconSize(QSize(TREE_IMAGE_WIDTH, TREE_IMAGE_HEIGHT));
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(false);
    setStyle(new TreeBranchStyle(this));

    auto* delegate = new TreeLabelDelegate(this);
    delegate->setLabelEditedHandler([this](const QModelIndex&) { setModified(true); });
    setItemDelegate(delegate);

    m_items.setImageList(treeImageList(ModuleFamily::VX31));
    m_commands.createActions();
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        selectionChangedAction();
        m_commands.updateActions();
    });
}

CControlTreeView::~CControlTreeView() = default;

void CControlTreeView::setRootItem(const QString& label) {
    m_rootLabel = storableLabel(label);
    if (QTreeWidgetItem* root = m_items.rootItem()) {
        root->setText(0, m_rootLabel);
        return;
    }
    m_items.setRootItem(
        m_items.insert(nullptr, m_rootLabel, IMAGE_OPEN_FOLDER, IMAGE_OPEN_FOLDER, 0));
    m_store.appendEntry(0, 0, nullptr);
}

// A folder, the root or nothing selected: the composer's frame becomes a new command.
void CControlTreeView::setSelectedData(std::uint32_t length, const std::uint8_t* data) {
    QTreeWidgetItem* item = selectedItem();
    if (!item || m_store.entryLength(itemId(item)) == 0) {
        m_commands.saveAsNewCommand(length, data);
        return;
    }
    m_store.setEntryData(itemId(item), length, data);
    setModified(true);
}

void CControlTreeView::resendSelection() {
    selectionChangedAction();
}

bool CControlTreeView::saveList(const std::string& path) {
    if (!m_items.rootItem() || !tovan::saveList(m_items, m_store, path))
        return false;
    setModified(false);
    return true;
}

bool CControlTreeView::reloadList(const std::string& path) {
    ++m_quiet;
    if (QTreeWidgetItem* root = m_items.rootItem())
        deleteItem(root);
    else
        setRootItem(m_rootLabel);
    const bool loaded = tovan::loadList(m_items, m_store, path);
    --m_quiet;
    setModified(false);
    return loaded;
}

void CControlTreeView::setModified(bool modified) {
    if (m_modified == modified)
        return;
    m_modified = modified;
    Q_EMIT modifiedChanged(modified);
}

QTreeWidgetItem* CControlTreeView::selectedItem() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

// The whole entry goes to the console, however long: the text of a folder is none.
void CControlTreeView::selectionChangedAction() {
    QTreeWidgetItem* item = selectedItem();
    if (m_quiet > 0 || !item || !m_console)
        return;
    const std::uint32_t id = itemId(item);
    const std::uint32_t length = m_store.entryLength(id);
    const std::uint8_t* data = m_store.entryData(id);
    if (length == 0 || !data) {
        m_console->deliver(CD_LOAD_COMMAND, nullptr, 0);
        return;
    }
    // A copy, so that whatever the console does with the tree meanwhile cannot pull the
    // bytes away under it.
    const std::vector<std::uint8_t> text(data, data + length);
    m_console->deliver(CD_LOAD_COMMAND, text.data(), text.size());
}

// The frame is sent whole: a count kept to 8 bits would cut frames of 256 bytes and more
// (a first-family frame holds up to 260) and send the rest as a different frame.
void CControlTreeView::sendCommandBytes(QTreeWidgetItem* item) {
    const std::uint32_t id = itemId(item);
    const std::uint32_t length = m_store.entryLength(id);
    const std::uint8_t* data = m_store.entryData(id);
    if (length == 0 || !data || !m_console)
        return;
    const std::string_view text(reinterpret_cast<const char*>(data), length);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(CHexCodec::HexByteCount(text)));
    const int count = m_codec.HexToBytes(text, bytes.data(), bytes.size());
    m_console->deliver(CD_SEND_SELECTED, bytes.data(), static_cast<std::size_t>(count));
}

void CControlTreeView::deleteItem(QTreeWidgetItem* item) {
    m_drag.forgetItemsIn(item);
    const bool topLevel = item == m_items.rootItem();
    if (!m_drag.isDragging())
        removeEntries(m_store, item);
    if (topLevel)
        m_items.setRootItem(nullptr);
    delete item;
    if (topLevel)
        setRootItem(m_rootLabel);
}

// --- Mouse, keys and focus ----------------------------------------------------------------

void CControlTreeView::keyPressEvent(QKeyEvent* event) {
    if (!m_commands.keyPress(event))
        QTreeWidget::keyPressEvent(event);
}

// The right button selects the item under the pointer, or nothing, before its menu comes.
void CControlTreeView::mousePressEvent(QMouseEvent* event) {
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        setCurrentItem(item);
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton)
        m_drag.notePress(item);
    QTreeWidget::mousePressEvent(event);
}

void CControlTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (item && item == selectedItem())
        sendCommandBytes(item);
}

void CControlTreeView::contextMenuEvent(QContextMenuEvent* event) {
    m_commands.showContextMenu(event);
}

void CControlTreeView::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    m_commands.updateActions();
}

void CControlTreeView::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    m_commands.updateActions();
}

} // namespace tovan
