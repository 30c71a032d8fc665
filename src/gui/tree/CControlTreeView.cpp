#include "gui/tree/CControlTreeView.h"

#include "gui/shared/DialogService.h"
#include "core/hub/ConsoleMessage.h"
#include "core/hub/OwnerEndpoint.h"
#include "core/tree/CommandListIO.h"
#include "core/tree/Labels.h"
#include "gui/tree/TreeBranchStyle.h"
#include "gui/tree/TreeImages.h"
#include "gui/tree/TreeLabelDelegate.h"

namespace tovan {

namespace {

// What New command stores: "00 00" and a zero byte, which is part of the length.
constexpr std::uint8_t NEW_COMMAND_DATA[] = {'0', '0', ' ', '0', '0', 0};

const QString NEW_COMMAND_LABEL = QStringLiteral("New item");
const QString NEW_FOLDER_LABEL = QStringLiteral("New folder");

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
    createActions();
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        selectionChangedAction();
        updateCommandActions();
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

void CControlTreeView::setSelectedData(std::uint32_t length, const std::uint8_t* data) {
    QTreeWidgetItem* item = selectedItem();
    if (!item)
        return;
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

// A command gets its sibling, a folder (or the root) its child; nothing selected: the root.
QTreeWidgetItem* CControlTreeView::parentForNewItem() const {
    QTreeWidgetItem* selected = selectedItem();
    if (!selected)
        return m_items.rootItem();
    if (m_store.entryLength(itemId(selected)) == 0)
        return selected;
    // A root that was given data has no parent: its new siblings go below it instead.
    return selected->parent() ? selected->parent() : selected;
}

QTreeWidgetItem* CControlTreeView::createItem(const QString& label, int image, int selectedImage,
                                              std::uint32_t length, const std::uint8_t* data) {
    QTreeWidgetItem* parent = parentForNewItem();
    if (!parent)
        return nullptr;
    const std::uint32_t id = m_items.takeNextId();
    QTreeWidgetItem* item = m_items.insert(parent, label, image, selectedImage, id);
    m_store.appendEntry(id, length, data);
    parent->setExpanded(true);
    setCurrentItem(item);
    setModified(true);
    return item;
}

void CControlTreeView::newCommand() {
    if (QTreeWidgetItem* item = createItem(NEW_COMMAND_LABEL, IMAGE_COMMAND, IMAGE_COMMAND,
                                           sizeof NEW_COMMAND_DATA, NEW_COMMAND_DATA))
        editItem(item);
}

void CControlTreeView::newFolder() {
    if (QTreeWidgetItem* item =
            createItem(NEW_FOLDER_LABEL, IMAGE_FOLDER, IMAGE_OPEN_FOLDER, 0, nullptr))
        editItem(item);
}

void CControlTreeView::removeSelected() {
    QTreeWidgetItem* item = selectedItem();
    if (!item)
        return;
    const DialogService::Answer answer = dialogs().messageBox(
        this, QStringLiteral("Delete item ?"), QStringLiteral("Confirm action"),
        DialogService::Icon::Question, DialogService::Buttons::YesNo);
    if (answer != DialogService::Answer::Yes)
        return;
    setModified(true);
    deleteItem(item);
    // As in other tree views, the neighbour that takes the place becomes the selection.
    if (QTreeWidgetItem* next = currentItem())
        setCurrentItem(next);
}

void CControlTreeView::renameSelected() {
    if (QTreeWidgetItem* item = selectedItem())
        editItem(item);
    setModified(true);
}

void CControlTreeView::copySelected() {
    QTreeWidgetItem* item = selectedItem();
    if (!item || item->childCount() > 0)
        return;
    const std::uint32_t id = itemId(item);
    CopiedCommand copied;
    copied.label = item->text(0);
    copied.length = m_store.entryLength(id);
    if (const std::uint8_t* data = m_store.entryData(id)) {
        copied.data.assign(data, data + copied.length);
        copied.hasData = true;
    }
    m_copied = std::move(copied);
    updateCommandActions();
}

// The pasted item is made as by New command (and stays where "New item" sorts), then takes
// the label and text that were copied.
void CControlTreeView::pasteCopied() {
    if (!m_copied)
        return;
    const CopiedCommand copied = *m_copied;
    QTreeWidgetItem* item = createItem(NEW_COMMAND_LABEL, IMAGE_COMMAND, IMAGE_COMMAND,
                                       sizeof NEW_COMMAND_DATA, NEW_COMMAND_DATA);
    if (!item)
        return;
    item->setText(0, copied.label.left(static_cast<qsizetype>(LABEL_LIMIT)));
    m_store.setEntryData(itemId(item), copied.length,
                         copied.hasData ? copied.data.data() : nullptr);
    resendSelection();
}

} // namespace tovan
