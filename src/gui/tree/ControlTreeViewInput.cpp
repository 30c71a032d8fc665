// The tree's commands, their enabled state, menus, mouse and keyboard.
#include "gui/tree/CControlTreeView.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <array>

namespace tovan {

using namespace treecmd;

namespace {

struct CommandText {
    int id;
    const char* menuText;
    const char* contextText;
    const char* prompt; // status-bar prompt; empty for none
};

// In the order of context menu 137; a separator comes before "Insert list".
constexpr std::array<CommandText, 8> COMMANDS{{
    {ID_NEW_FOLDER, "New folder", "New folder", "Creates a new folder in current tree view"},
    {ID_NEW_COMMAND, "New command", "New command", "Create a new tree item"},
    {ID_REMOVE, "Remove", "Remove", "Remove the selected item / folder"},
    {ID_RENAME, "Rename", "Rename", "Rename the selected item / folder"},
    {ID_COPY_COMMAND, "Copy command", "Copy command", ""},
    {ID_PASTE_COMMAND, "Paste command", "&Paste command", ""},
    {ID_CUT_ITEM, "&Cut tree Item", "&Cut tree Item", ""},
    {ID_INSERT_LIST, "Insert list", "Insert list", "Insert a command list from a file"},
}};

QAction* makeAction(QObject* owner, const CommandText& command, const char* text) {
    auto* action = new QAction(QString::fromLatin1(text), owner);
    action->setObjectName(QString::number(command.id));
    action->setData(command.id);
    action->setStatusTip(QString::fromLatin1(command.prompt));
    return action;
}

} // namespace

void CControlTreeView::createActions() {
    for (const CommandText& command : COMMANDS) {
        QAction* action = makeAction(this, command, command.menuText);
        connect(action, &QAction::triggered, this, [this, id = command.id] { runCommand(id); });
        m_actions.append(action);
    }
    updateCommandActions();
}

QAction* CControlTreeView::commandAction(int commandId) const {
    for (QAction* action : m_actions)
        if (action->data().toInt() == commandId)
            return action;
    return nullptr;
}

bool CControlTreeView::isActiveView() const {
    if (m_activeView)
        return *m_activeView;
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

void CControlTreeView::setActiveView(bool active) {
    m_activeView = active;
    updateCommandActions();
}

// The context menu belongs to the tree the user just clicked, so only Copy and Paste have
// conditions there; Cut never does anything but is offered.
bool CControlTreeView::isCommandEnabled(int commandId, MenuKind menu) const {
    const bool active = menu == MenuKind::ContextMenu || isActiveView();
    switch (commandId) {
    case ID_COPY_COMMAND:
        return active && selectedItem();
    case ID_PASTE_COMMAND:
        return active && selectedItem() && m_copied.has_value();
    case ID_CUT_ITEM:
        return menu == MenuKind::ContextMenu;
    default:
        return active;
    }
}

void CControlTreeView::runCommand(int commandId) {
    switch (commandId) {
    case ID_NEW_FOLDER:
        newFolder();
        break;
    case ID_NEW_COMMAND:
        newCommand();
        break;
    case ID_REMOVE:
        removeSelected();
        break;
    case ID_RENAME:
        renameSelected();
        break;
    case ID_COPY_COMMAND:
        copySelected();
        break;
    case ID_PASTE_COMMAND:
        pasteCopied();
        break;
    default: // Cut tree Item and Insert list have no effect
        break;
    }
}

void CControlTreeView::updateCommandActions() {
    for (QAction* action : m_actions)
        action->setEnabled(isCommandEnabled(action->data().toInt(), MenuKind::MenuBar));
}

QMenu* CControlTreeView::createContextMenu() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QString::number(IDR_CONTEXT_MENU));
    for (const CommandText& command : COMMANDS) {
        if (command.id == ID_INSERT_LIST)
            menu->addSeparator();
        QAction* action = makeAction(menu, command, command.contextText);
        action->setEnabled(isCommandEnabled(command.id, MenuKind::ContextMenu));
        connect(action, &QAction::triggered, this, [this, id = command.id] { runCommand(id); });
        menu->addAction(action);
    }
    return menu;
}

void CControlTreeView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) {
        runCommand(ID_REMOVE);
        return;
    }
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
        m_pressedItem = item;
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

// From the keyboard the menu opens where the pointer is, and only over an item.
void CControlTreeView::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint screen =
        event->reason() == QContextMenuEvent::Keyboard ? QCursor::pos() : event->globalPos();
    event->accept();
    if (!itemAt(viewport()->mapFromGlobal(screen)))
        return;
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(screen);
}

void CControlTreeView::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    updateCommandActions();
}

void CControlTreeView::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    updateCommandActions();
}

} // namespace tovan
