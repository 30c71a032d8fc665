#include "gui/tree/ControlTreeItems.h"

#include "core/tree/Labels.h"
#include "gui/tree/TreeImages.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace tovan {

namespace {

constexpr Qt::ItemFlags ITEM_FLAGS = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable |
                                     Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;

QTreeWidgetItem* childAt(const QTreeWidget& widget, QTreeWidgetItem* parent, int index) {
    return parent ? parent->child(index) : widget.topLevelItem(index);
}

} // namespace

ControlTreeItems::ControlTreeItems(QTreeWidget& widget) : m_widget(widget) {}

CommandTree::Item ControlTreeItems::root() const {
    return m_root;
}

CommandTree::Item ControlTreeItems::firstChild(Item handle) const {
    return item(handle)->child(0);
}

CommandTree::Item ControlTreeItems::nextSibling(Item handle) const {
    QTreeWidgetItem* current = item(handle);
    if (QTreeWidgetItem* up = current->parent())
        return up->child(up->indexOfChild(current) + 1);
    return m_widget.topLevelItem(m_widget.indexOfTopLevelItem(current) + 1);
}

CommandTree::Item ControlTreeItems::parent(Item handle) const {
    return item(handle)->parent();
}

std::string ControlTreeItems::label(Item handle) const {
    return latin1Label(item(handle));
}

std::uint32_t ControlTreeItems::id(Item handle) const {
    return itemId(item(handle));
}

void ControlTreeItems::beginLoad() {
    if (m_root) {
        m_root->setExpanded(true);
        m_root->setSelected(false);
    }
    m_nextId = 1;
}

std::uint32_t ControlTreeItems::takeNextId() {
    return m_nextId++;
}

CommandTree::Item ControlTreeItems::insertSorted(Item parentHandle, const std::string& label,
                                                 ItemKind kind, std::uint32_t id) {
    const bool folder = kind == ItemKind::Folder;
    return insert(
        item(parentHandle), QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size())),
        folder ? IMAGE_FOLDER : IMAGE_COMMAND, folder ? IMAGE_OPEN_FOLDER : IMAGE_COMMAND, id);
}

QTreeWidgetItem* ControlTreeItems::insert(QTreeWidgetItem* parent, const QString& label, int image,
                                          int selectedImage, std::uint32_t id) {
    const QByteArray bytes = label.toLatin1();
    const std::string_view key(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const int count = parent ? parent->childCount() : m_widget.topLevelItemCount();
    const int position = static_cast<int>(
        sortedPosition(static_cast<std::size_t>(count), key, [&](std::size_t index) {
            return latin1Label(childAt(m_widget, parent, static_cast<int>(index)));
        }));

    auto* added = new QTreeWidgetItem(QStringList{label});
    added->setFlags(ITEM_FLAGS);
    added->setData(0, ITEM_ID_ROLE, QVariant::fromValue(id));
    added->setData(0, IMAGE_ROLE, image);
    added->setData(0, SELECTED_IMAGE_ROLE, selectedImage);
    applyIcon(added);
    if (parent)
        parent->insertChild(position, added);
    else
        m_widget.insertTopLevelItem(position, added);
    return added;
}

void ControlTreeItems::setImageList(const QList<QPixmap>& images) {
    m_images = images;
    for (int i = 0; i < m_widget.topLevelItemCount(); ++i)
        applyIcons(m_widget.topLevelItem(i));
}

std::uint32_t ControlTreeItems::itemId(const QTreeWidgetItem* item) {
    return item->data(0, ITEM_ID_ROLE).value<std::uint32_t>();
}

int ControlTreeItems::image(const QTreeWidgetItem* item) {
    return item->data(0, IMAGE_ROLE).toInt();
}

int ControlTreeItems::selectedImage(const QTreeWidgetItem* item) {
    return item->data(0, SELECTED_IMAGE_ROLE).toInt();
}

std::string ControlTreeItems::latin1Label(const QTreeWidgetItem* item) {
    return item->text(0).toLatin1().toStdString();
}

// The style draws the Selected picture of an icon for a selected item, so one icon carries
// both images of the item.
void ControlTreeItems::applyIcon(QTreeWidgetItem* item) const {
    const int normal = image(item);
    const int selected = selectedImage(item);
    QIcon icon;
    if (normal >= 0 && normal < m_images.size())
        icon.addPixmap(m_images[normal], QIcon::Normal);
    if (selected >= 0 && selected < m_images.size())
        icon.addPixmap(m_images[selected], QIcon::Selected);
    item->setIcon(0, icon);
}

void ControlTreeItems::applyIcons(QTreeWidgetItem* item) const {
    applyIcon(item);
    for (int i = 0; i < item->childCount(); ++i)
        applyIcons(item->child(i));
}

} // namespace tovan
