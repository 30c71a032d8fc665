#include "gui/tree/TreeCommandHandler.h"

#include "core/tree/Labels.h"
#include "gui/shared/DialogService.h"
#include "gui/tree/CControlTreeView.h"
#include "gui/tree/TreeImages.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>

#include <vector>

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

// What New command stores: "00 00" and a zero byte, which is part of the length.
constexpr std::uint8_t NEW_COMMAND_DATA[] = {'0', '0', ' ', '0', '0', 0};

const QString NEW_COMMAND_LABEL = QStringLiteral("New item");
const QString NEW_FOLDER_LABEL = QStringLiteral("New folder");

QAction* makeAction(QObject* owner, const CommandText& command, const char* text) {
    auto* action = new QAction(QString::fromLatin1(text), owner);
    action->setObjectName(QString::number(command.id));
    action->setData(command.id);
    action->setStatusTip(QString::fromLatin1(command.prompt));
    return action;
}

} // namespace

// --- Actions, menus and the enabled state ---------------------------------------------------

void TreeCommandHandler::createActions() {
    CControlTreeView* view = &m_view;
    for (const CommandText& command : COMMANDS) {
        QAction* action = makeAction(view, command, command.menuText);
        QObject::connect(action, &QAction::triggered, view,
                         [view, id = command.id] { view->runCommand(id); });
        m_actions.append(action);
    }
    updateActions();
}

QAction* TreeCommandHandler::action(int commandId) const {
    for (QAction* action : m_actions)
        if (action->data().toInt() == commandId)
            return action;
    return nullptr;
}

bool TreeCommandHandler::isActiveView() const {
    if (m_activeView)
        return *m_activeView;
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == &m_view || m_view.isAncestorOf(focus));
}

void TreeCommandHandler::setActiveView(bool active) {
    m_activeView = active;
    updateActions();
}

// The context menu belongs to the tree the user just clicked, and the menu bar shows only the
// active console's tree commands, so wherever the focus is in the console they work on its tree;
// only Copy and Paste have conditions. Cut never does anything but is offered.
bool TreeCommandHandler::isEnabled(int commandId, MenuKind menu) const {
    const bool active = menu == MenuKind::ContextMenu || menu == MenuKind::MenuBar ||
                        isActiveView();
    switch (commandId) {
    case ID_COPY_COMMAND:
        return active && m_view.selectedItem();
    case ID_PASTE_COMMAND:
        return active && m_view.selectedItem() && m_copied.has_value();
    case ID_CUT_ITEM:
        return menu == MenuKind::ContextMenu;
    default:
        return active;
    }
}

void TreeCommandHandler::run(int commandId) {
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

void TreeCommandHandler::updateActions() {
    for (QAction* action : m_actions)
        action->setEnabled(isEnabled(action->data().toInt(), MenuKind::MenuBar));
}

QMenu* TreeCommandHandler::createContextMenu() {
    CControlTreeView* view = &m_view;
    auto* menu = new QMenu(view);
    menu->setObjectName(QString::number(IDR_CONTEXT_MENU));
    for (const CommandText& command : COMMANDS) {
        if (command.id == ID_INSERT_LIST)
            menu->addSeparator();
        QAction* action = makeAction(menu, command, command.contextText);
        action->setEnabled(isEnabled(command.id, MenuKind::ContextMenu));
        QObject::connect(action, &QAction::triggered, view,
                         [view, id = command.id] { view->runCommand(id); });
        menu->addAction(action);
    }
    return menu;
}

// From the keyboard the menu opens where the pointer is, and only over an item.
void TreeCommandHandler::showContextMenu(QContextMenuEvent* event) {
    const QPoint screen =
        event->reason() == QContextMenuEvent::Keyboard ? QCursor::pos() : event->globalPos();
    event->accept();
    if (!m_view.itemAt(m_view.viewport()->mapFromGlobal(screen)))
        return;
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(screen);
}

bool TreeCommandHandler::keyPress(QKeyEvent* event) {
    if (event->key() != Qt::Key_Delete)
        return false;
    m_view.runCommand(ID_REMOVE);
    return true;
}

// --- The commands ---------------------------------------------------------------------------

// A command gets its sibling, a folder (or the root) its child; nothing selected: the root.
QTreeWidgetItem* TreeCommandHandler::parentForNewItem() const {
    QTreeWidgetItem* selected = m_view.selectedItem();
    if (!selected)
        return m_view.m_items.rootItem();
    if (m_view.m_store.entryLength(CControlTreeView::itemId(selected)) == 0)
        return selected;
    // A root that was given data has no parent: its new siblings go below it instead.
    return selected->parent() ? selected->parent() : selected;
}

QTreeWidgetItem* TreeCommandHandler::createItem(const QString& label, int image, int selectedImage,
                                                std::uint32_t length, const std::uint8_t* data) {
    QTreeWidgetItem* parent = parentForNewItem();
    if (!parent)
        return nullptr;
    const std::uint32_t id = m_view.m_items.takeNextId();
    QTreeWidgetItem* item = m_view.m_items.insert(parent, label, image, selectedImage, id);
    m_view.m_store.appendEntry(id, length, data);
    parent->setExpanded(true);
    m_view.setCurrentItem(item);
    m_view.setModified(true);
    return item;
}

void TreeCommandHandler::newCommand() {
    if (QTreeWidgetItem* item = createItem(NEW_COMMAND_LABEL, IMAGE_COMMAND, IMAGE_COMMAND,
                                           sizeof NEW_COMMAND_DATA, NEW_COMMAND_DATA))
        m_view.editItem(item);
}

bool TreeCommandHandler::saveAsNewCommand(std::uint32_t length, const std::uint8_t* data) {
    const QString name = dialogs().askText(&m_view, QStringLiteral("Save command"),
                                           QStringLiteral("Name of the new command:"),
                                           NEW_COMMAND_LABEL);
    if (name.isNull())
        return false;
    // Labels are kept as the file keeps them: Latin-1, at most 48 characters.
    const QString label = QString::fromLatin1(name.toLatin1()).left(static_cast<qsizetype>(LABEL_LIMIT));
    return createItem(label, IMAGE_COMMAND, IMAGE_COMMAND, length, data) != nullptr;
}

void TreeCommandHandler::newFolder() {
    if (QTreeWidgetItem* item =
            createItem(NEW_FOLDER_LABEL, IMAGE_FOLDER, IMAGE_OPEN_FOLDER, 0, nullptr))
        m_view.editItem(item);
}

// "Delete item ?" with the item named, and for a folder what goes with it.
QString TreeCommandHandler::deleteQuestion(const QTreeWidgetItem* item) {
    QString question = QStringLiteral("Delete item ?\n\n\"%1\"").arg(item->text(0));
    int inside = 0;
    std::vector<const QTreeWidgetItem*> open{item};
    while (!open.empty()) {
        const QTreeWidgetItem* folder = open.back();
        open.pop_back();
        for (int i = 0; i < folder->childCount(); ++i, ++inside)
            open.push_back(folder->child(i));
    }
    if (inside > 0)
        question += QStringLiteral(" and the %1 item(s) in it").arg(inside);
    return question;
}

void TreeCommandHandler::removeSelected() {
    QTreeWidgetItem* item = m_view.selectedItem();
    if (!item)
        return;
    const DialogService::Answer answer = dialogs().messageBox(
        &m_view, deleteQuestion(item), QStringLiteral("Confirm action"),
        DialogService::Icon::Question, DialogService::Buttons::YesNo);
    if (answer != DialogService::Answer::Yes)
        return;
    m_view.setModified(true);
    m_view.deleteItem(item);
    // As in other tree views, the neighbour that takes the place becomes the selection.
    if (QTreeWidgetItem* next = m_view.currentItem())
        m_view.setCurrentItem(next);
}

void TreeCommandHandler::renameSelected() {
    if (QTreeWidgetItem* item = m_view.selectedItem())
        m_view.editItem(item);
    m_view.setModified(true);
}

void TreeCommandHandler::copySelected() {
    QTreeWidgetItem* item = m_view.selectedItem();
    if (!item || item->childCount() > 0)
        return;
    const CommandStore& store = m_view.store();
    const std::uint32_t id = CControlTreeView::itemId(item);
    CopiedCommand copied;
    copied.label = item->text(0);
    copied.length = store.entryLength(id);
    if (const std::uint8_t* data = store.entryData(id)) {
        copied.data.assign(data, data + copied.length);
        copied.hasData = true;
    }
    m_copied = std::move(copied);
    updateActions();
}

// The pasted item is made as by New command (and stays where "New item" sorts), then takes
// the label and text that were copied.
void TreeCommandHandler::pasteCopied() {
    if (!m_copied)
        return;
    const CopiedCommand copied = *m_copied;
    QTreeWidgetItem* item = createItem(NEW_COMMAND_LABEL, IMAGE_COMMAND, IMAGE_COMMAND,
                                       sizeof NEW_COMMAND_DATA, NEW_COMMAND_DATA);
    if (!item)
        return;
    item->setText(0, copied.label.left(static_cast<qsizetype>(LABEL_LIMIT)));
    m_view.m_store.setEntryData(CControlTreeView::itemId(item), copied.length,
                                copied.hasData ? copied.data.data() : nullptr);
    m_view.resendSelection();
}

} // namespace tovan
