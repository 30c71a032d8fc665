#pragma once

#include "core/frames/CHexCodec.h"
#include "core/tree/CommandStore.h"
#include "gui/tree/ControlTreeItems.h"
#include "gui/tree/TreeCommandHandler.h"
#include "gui/tree/TreeCommands.h"
#include "gui/tree/TreeDragHandler.h"

#include <QList>
#include <QPixmap>
#include <QString>
#include <QTreeWidget>

#include <cstdint>
#include <string>

class QAction;
class QMenu;

namespace tovan {

class OwnerEndpoint;

// The command tree of a module console: one root named after the module, folders and
// commands below it. Selecting an item shows its frame text in the console's composer
// (message CD_LOAD_COMMAND), double-clicking the selected command sends it (CD_SEND_SELECTED).
// Items carry their ids (ITEM_ID_ROLE); the command texts live in the view's CommandStore, and
// the items are the CommandTree that saving and loading a list work on.
//
// The view holds the items and their entries and talks to the console; its command handler
// runs the menu commands and its drag handler moves items.
class CControlTreeView : public QTreeWidget {
    Q_OBJECT
    Q_PROPERTY(bool modified READ isModified WRITE setModified NOTIFY modifiedChanged)
public:
    explicit CControlTreeView(QWidget* parent = nullptr);
    ~CControlTreeView() override;

    // What the console calls.
    void setConsoleWindow(OwnerEndpoint* console) { m_console = console; }
    // Inserts the root (images 3 and 3, id 0) and remembers its label to re-create it.
    void setRootItem(const QString& label);
    // Stores the composer's text into the selected item, whatever its kind; nothing without a
    // selection.
    void setSelectedData(std::uint32_t length, const std::uint8_t* data);
    void resendSelection();
    // Writes the tree after the header `path` already holds; clears the modified flag when
    // the list was written.
    bool saveList(const std::string& path);
    // Replaces the tree by the list in `path`; the tree then matches the file (not modified).
    bool reloadList(const std::string& path);
    void setImageList(const QList<QPixmap>& images) { m_items.setImageList(images); }

    bool isModified() const { return m_modified; }
    void setModified(bool modified);

    // The menu bar enables the tree's commands only while the tree is its frame's active
    // view. Unless the frame says otherwise, that is while the focus is in the tree.
    bool isActiveView() const { return m_commands.isActiveView(); }
    void setActiveView(bool active) { m_commands.setActiveView(active); }

    bool isCommandEnabled(int commandId, treecmd::MenuKind menu) const {
        return m_commands.isEnabled(commandId, menu);
    }
    void runCommand(int commandId) { m_commands.run(commandId); }
    // The tree's commands for the "Command" menu, ids as object names and data, status-bar
    // prompts as status tips. Their enabled state follows the menu bar's rules.
    const QList<QAction*>& commandActions() const { return m_commands.actions(); }
    QAction* commandAction(int commandId) const { return m_commands.action(commandId); }
    void updateCommandActions() { m_commands.updateActions(); }
    // Context menu 137 with its entries enabled as they are now. The caller owns it.
    QMenu* createContextMenu() { return m_commands.createContextMenu(); }

    // Drag and drop, move only. dropOn() refuses (with a beep, returning false) a drop onto
    // the source, into its subtree, onto its parent or onto a command, and any drag of the
    // top-level item; otherwise moves the source's subtree under the target.
    void beginDrag(QTreeWidgetItem* source) { m_drag.beginDrag(source); }
    void dragOver(QTreeWidgetItem* item) { m_drag.dragOver(item); }
    bool dropOn(QTreeWidgetItem* source, QTreeWidgetItem* target) {
        return m_drag.dropOn(source, target);
    }
    bool isDragging() const { return m_drag.isDragging(); }
    QTreeWidgetItem* dropHighlightItem() const { return m_drag.dropHighlightItem(); }

    QTreeWidgetItem* rootItem() const { return m_items.rootItem(); }
    QTreeWidgetItem* selectedItem() const;
    const CommandStore& store() const { return m_store; }
    CommandTree& commandTree() { return m_items; }
    static std::uint32_t itemId(const QTreeWidgetItem* item) {
        return ControlTreeItems::itemId(item);
    }

Q_SIGNALS:
    void modifiedChanged(bool modified);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void startDrag(Qt::DropActions) override { m_drag.startDrag(); }
    void dragEnterEvent(QDragEnterEvent* event) override { m_drag.dragEnter(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { m_drag.dragMove(event); }
    void dropEvent(QDropEvent* event) override { m_drag.drop(event); }

private:
    // The handlers work on the items and entries, and take part in deleting items.
    friend class TreeCommandHandler;
    friend class TreeDragHandler;

    void selectionChangedAction();
    void sendCommandBytes(QTreeWidgetItem* item);
    // Deletes the item with its subtree. Unless a drag is moving it, the entries go too; the
    // top-level item comes back as a fresh root with its label.
    void deleteItem(QTreeWidgetItem* item);

    CommandStore m_store;
    ControlTreeItems m_items;
    CHexCodec m_codec;
    OwnerEndpoint* m_console = nullptr;
    QString m_rootLabel;
    bool m_modified = false;
    TreeCommandHandler m_commands{*this};
    TreeDragHandler m_drag{*this};
    // While the tree is rebuilt (list reload, a move), selection changes are not sent.
    int m_quiet = 0;
};

} // namespace tovan
