// Mouse, focus, context menu and clipboard of ColorEditWnd.
#include "gui/textwnd/ColorEditCommands.h"
#include "gui/textwnd/ColorEditWnd.h"
#include "gui/textwnd/TextCaret.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include <algorithm>

namespace tovan {

// --- Mouse -----------------------------------------------------------------------------------

// The text position under a point: a press rounds to the nearest cell boundary, a drag rounds
// by its direction. Always clamped into the text.
TextPos ColorEditWnd::pointAt(const QPoint& pos, bool forDrag) const {
    const int line = std::clamp(m_view.lineAt(pos.y()), 0, m_model.lineCount() - 1);
    const int column =
        forDrag ? m_view.columnAtDrag(pos.x(), m_mouseDownX) : m_view.columnAtPress(pos.x());
    return TextPos{std::clamp(column, 0, m_model.store().lineLength(line)), line};
}

void ColorEditWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    m_mouseSelecting = true;
    m_mouseDownX = pos.x() - TextViewport::LEFT_MARGIN;
    setFocus(Qt::MouseFocusReason);
    hideCaret();
    const TextPos at = pointAt(pos, false);
    m_model.setCaretClamped(at.column, at.line);
    if (event->modifiers() & Qt::ShiftModifier) {
        repaintAll(); // the anchor stays: the selection extends to the click
    } else {
        m_model.CollapseAnchor(false);
        m_model.HasSelection();
    }
    showCaret();
}

void ColorEditWnd::mouseMoveEvent(QMouseEvent* event) {
    if (!m_mouseSelecting)
        return;
    const TextPos old = m_model.caret();
    const TextPos at = pointAt(event->position().toPoint(), true);
    m_model.setCaretClamped(at.column, at.line);
    if (m_model.caret() != old) {
        hideCaret();
        repaintLines(old.line, at.line, 0);
        showCaret();
    }
}

void ColorEditWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_mouseSelecting = false;
}

void ColorEditWnd::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_mouseSelecting = false;
    setFocus(Qt::MouseFocusReason);
    hideCaret();
    repaintLines(m_model.anchor().line, m_model.caret().line, 0);
    const TextPos at = pointAt(event->position().toPoint(), false);
    m_model.selectWordAt(at.column, at.line);
    repaintLines(at.line, at.line, 0);
    showCaret();
}

// --- Focus -----------------------------------------------------------------------------------

void ColorEditWnd::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (event->reason() == Qt::PopupFocusReason)
        return; // back from the context menu: the focus never really left
    showCaret();
    Q_EMIT focusGained(m_controlId);
}

void ColorEditWnd::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason)
        return;
    // Without the button held there is no drag to follow, wherever the focus went.
    m_mouseSelecting = false;
    if (m_caretShown) {
        m_caretShown = false;
        m_caret->hide();
        m_blinkTimer.stop();
    }
    Q_EMIT focusLost(m_controlId);
}

// --- Commands, context menu and clipboard ----------------------------------------------------

bool ColorEditWnd::canPaste() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

bool ColorEditWnd::isCommandEnabled(int commandId) {
    switch (commandId) {
    case coloredit::ID_EDIT_COPY:
    case coloredit::ID_EDIT_CUT:
        return m_model.HasSelection();
    case coloredit::ID_EDIT_PASTE:
        return canPaste();
    case coloredit::ID_EDIT_SELECT_ALL:
        return true;
    default: // Undo and Redo: the window keeps no edit history
        return false;
    }
}

bool ColorEditWnd::runCommand(int commandId) {
    if (!isCommandEnabled(commandId))
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

QMenu* ColorEditWnd::createContextMenu() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QString::number(coloredit::IDR_CONTEXT_MENU));
    auto add = [&](const char* text, int commandId) {
        QAction* action = menu->addAction(QString::fromLatin1(text));
        action->setData(commandId);
        action->setEnabled(isCommandEnabled(commandId));
        connect(action, &QAction::triggered, this, [this, commandId] { runCommand(commandId); });
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

void ColorEditWnd::contextMenuEvent(QContextMenuEvent* event) {
    setFocus(Qt::OtherFocusReason);
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// Lines on the clipboard end in CR LF; bytes and characters map one to one (Latin-1).
void ColorEditWnd::copy() {
    const std::string text = m_model.SelectedText();
    if (text.empty())
        return;
    QGuiApplication::clipboard()->setText(
        QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void ColorEditWnd::cut() {
    if (m_model.isReadOnly())
        return;
    hideCaret();
    copy();
    m_model.DeleteSelection();
    Q_EMIT changed(m_controlId);
    showCaret();
}

// Characters beyond Latin-1 cannot be held by the window and arrive as '?'.
void ColorEditWnd::paste() {
    if (m_model.isReadOnly())
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    hideCaret();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasText()) {
        const QByteArray bytes = data->text().toLatin1();
        m_model.InsertText(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
        Q_EMIT changed(m_controlId);
        EnsureCaretVisible();
    }
    showCaret();
    QGuiApplication::restoreOverrideCursor();
}

void ColorEditWnd::selectAll() {
    m_model.SelectAll();
}

} // namespace tovan
