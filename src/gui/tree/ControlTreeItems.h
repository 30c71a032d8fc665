#pragma once

#include "core/tree/CommandTree.h"

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>
#include <Qt>

#include <cstdint>
#include <string>

class QTreeWidget;
class QTreeWidgetItem;

namespace tovan {

// What every item of the command tree carries besides its label.
constexpr int ITEM_ID_ROLE = Qt::UserRole;            // links the item to its CommandEntry
constexpr int IMAGE_ROLE = Qt::UserRole + 1;          // image list position when not selected
constexpr int SELECTED_IMAGE_ROLE = Qt::UserRole + 2; // ... and when selected
constexpr int DROP_HIGHLIGHT_ROLE = Qt::UserRole + 3; // shown as the target of a drag

// Marks a drag that started in a command tree; what moves is known to the view itself.
constexpr const char* TREE_ITEM_MIME = "application/x-tovan-tree-item";

// The items of a QTreeWidget seen as a command tree, so that saving and loading a list run the
// same code on the widget as on the in-memory tree. Holds the root and the next-id counter.
// Siblings are placed in label order when inserted only; the widget's own sorting stays off,
// so a renamed item stays where it is.
class ControlTreeItems : public CommandTree {
public:
    explicit ControlTreeItems(QTreeWidget& widget);

    Item root() const override;
    Item firstChild(Item item) const override;
    Item nextSibling(Item item) const override;
    Item parent(Item item) const override;
    std::string label(Item item) const override;
    std::uint32_t id(Item item) const override;
    void beginLoad() override;
    std::uint32_t takeNextId() override;
    Item insertSorted(Item parent, const std::string& label, ItemKind kind,
                      std::uint32_t id) override;

    QTreeWidgetItem* rootItem() const { return m_root; }
    void setRootItem(QTreeWidgetItem* root) { m_root = root; }

    // Inserts an item at the sorted place of `label` among the children of `parent` (among
    // the top-level items when null), after siblings with an equal label.
    QTreeWidgetItem* insert(QTreeWidgetItem* parent, const QString& label, int image,
                            int selectedImage, std::uint32_t id);

    // Pictures of the images; every item's icon follows.
    void setImageList(const QList<QPixmap>& images);

    static QTreeWidgetItem* item(Item handle) { return static_cast<QTreeWidgetItem*>(handle); }
    static std::uint32_t itemId(const QTreeWidgetItem* item);
    static int image(const QTreeWidgetItem* item);
    static int selectedImage(const QTreeWidgetItem* item);
    // The label as the list file holds it: one Latin-1 byte per character.
    static std::string latin1Label(const QTreeWidgetItem* item);

private:
    void applyIcon(QTreeWidgetItem* item) const;
    void applyIcons(QTreeWidgetItem* item) const;

    QTreeWidget& m_widget;
    QTreeWidgetItem* m_root = nullptr;
    QList<QPixmap> m_images;
    std::uint32_t m_nextId = 1;
};

} // namespace tovan
