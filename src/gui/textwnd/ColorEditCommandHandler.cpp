#include "gui/textwnd/ColorEditCommandHandler.h"

#include "gui/textwnd/ColorEditCommands.h"
#include "gui/textwnd/ColorEditWnd.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>

namespace tovan {

bool ColorEditCommandHandler::canPaste() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

bool ColorEditCommandHandler::isEnabled(int commandId) {
    switch (commandId) {
    case coloredit::ID_EDIT_COPY:
    case coloredit::ID_EDIT_CUT:
        return m_window.model().HasSelection();
    case coloredit::ID_EDIT_PASTE:
        return canPaste();
    case coloredit::ID_EDIT_SELECT_ALL:
        return true;
    default: // Undo and Redo: the window keeps no edit history
        return false;
    }
}

bool ColorEditCommandHandler::run(int commandId) {
    if (!isEnabled(commandId))
        return false;
    switch (commandId) {
    case coloredit::ID_EDIT_COPY:
        copy();
        break;
    case coloredit::ID_EDIT_CUT:
        cut();
        break;
    case coloredit::ID_EDIT_PASTE:
        paste();
        break;
    case coloredit::ID_EDIT_SELECT_ALL:
        selectAll();
        break;
    default:
        return false;
    }
    return true;
}

QMenu* ColorEditCommandHandler::createContextMenu() {
    ColorEditWnd* window = &m_window;
    auto* menu = new QMenu(window);
    menu->setObjectName(QString::number(coloredit::IDR_CONTEXT_MENU));
    auto add = [&](const char* text, int commandId) {
        QAction* action = menu->addAction(QString::fromLatin1(text));
        action->setData(commandId);
        action->setEnabled(isEnabled(commandId));
        QObject::connect(action, &QAction::triggered, window,
                         [window, commandId] { window->runCommand(commandId); });
    };
    add("Undo", coloredit::ID_EDIT_UNDO);
    add("Redo", coloredit::ID_EDIT_REDO);
    menu->addSeparator();
    add("Cut", coloredit::ID_EDIT_CUT);
    add("&Copy", coloredit::ID_EDIT_COPY);
    add("Paste", coloredit::ID_EDIT_PASTE);
    menu->addSeparator();
    add("Select &All", coloredit::ID_EDIT_SELECT_ALL);
    return menu;
}

void ColorEditCommandHandler::showContextMenu(const QPoint& globalPos) {
    m_window.setFocus(Qt::OtherFocusReason);
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

// Lines on the clipboard end in CR LF; bytes and characters map one to one (Latin-1).
void ColorEditCommandHandler::copy() {
    const std::string text = m_window.model().SelectedText();
    if (text.empty())
        return;
    QGuiApplication::clipboard()->setText(
        QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void ColorEditCommandHandler::cut() {
    ColorEditModel& model = m_window.model();
    if (model.isReadOnly())
        return;
    m_window.hideCaret();
    copy();
    model.DeleteSelection();
    m_window.notifyChange();
    m_window.showCaret();
}

// Characters beyond Latin-1 cannot be held by the window and arrive as '?'.
void ColorEditCommandHandler::paste() {
    ColorEditModel& model = m_window.model();
    if (model.isReadOnly())
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_window.hideCaret();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasText()) {
        const QByteArray bytes = data->text().toLatin1();
        model.InsertText(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
        m_window.notifyChange();
        m_window.EnsureCaretVisible();
    }
    m_window.showCaret();
    QGuiApplication::restoreOverrideCursor();
}

void ColorEditCommandHandler::selectAll() {
    m_window.model().SelectAll();
}

} // namespace tovan
