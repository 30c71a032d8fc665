#pragma once

#include "gui/tree/TreeCommands.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class QAction;
class QContextMenuEvent;
class QKeyEvent;
class QMenu;
class QTreeWidgetItem;

namespace tovan {

class CControlTreeView;

// The commands of a command tree (treecmd::ID_...): their actions for the "Command" menu and
// the context menu, when each is enabled, and what they do: new command and folder, remove,
// rename, and the copy and paste of a command. Owned by its view.
class TreeCommandHandler {
public:
    explicit TreeCommandHandler(CControlTreeView& view) : m_view(view) {}

    // Makes the menu-bar actions; their enabled state is then kept up to date.
    void createActions();
    const QList<QAction*>& actions() const { return m_actions; }
    QAction* action(int commandId) const;
    void updateActions();

    bool isActiveView() const;
    void setActiveView(bool active);
    bool isEnabled(int commandId, treecmd::MenuKind menu) const;
    void run(int commandId);
    // Context menu 137 with its entries enabled as they are now. The caller owns it.
    QMenu* createContextMenu();
    void showContextMenu(QContextMenuEvent* event);
    // The keys that run a command (Delete removes); returns whether the key was taken.
    bool keyPress(QKeyEvent* event);
    // Save with no command selected: asks for a name and makes a command of `data` in the
    // selected folder (or the root). False when the user cancelled.
    bool saveAsNewCommand(std::uint32_t length, const std::uint8_t* data);

private:
    // What Copy command took, kept apart from the item so that a paste never depends on it.
    struct CopiedCommand {
        QString label;
        std::uint32_t length = 0;
        std::vector<std::uint8_t> data;
        bool hasData = false;
    };

    QTreeWidgetItem* parentForNewItem() const;
    QTreeWidgetItem* createItem(const QString& label, int image, int selectedImage,
                                std::uint32_t length, const std::uint8_t* data);
    void newCommand();
    void newFolder();
    static QString deleteQuestion(const QTreeWidgetItem* item);
    void removeSelected();
    void renameSelected();
    void copySelected();
    void pasteCopied();

    CControlTreeView& m_view;
    std::optional<bool> m_activeView;
    QList<QAction*> m_actions;
    std::optional<CopiedCommand> m_copied;
};

} // namespace tovan
