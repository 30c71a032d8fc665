#include "gui/textwnd/ColorEditKeyHandler.h"

#include "core/textwnd/CharClass.h"
#include "gui/textwnd/ColorEditCommands.h"
#include "gui/textwnd/ColorEditWnd.h"

#include <QKeyEvent>

#include <algorithm>

namespace tovan {

namespace {

bool isTableKey(int key) {
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

bool isAccelerator(const QKeyEvent* event) {
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    return mods == Qt::ControlModifier &&
           (key == Qt::Key_C || key == Qt::Key_V || key == Qt::Key_Y);
}

// A Ctrl combination types nothing (Ctrl with Alt is AltGr on many keyboards and does).
// Alt alone types nothing either: Alt with a letter opens the menu it underlines.
bool typesText(const QKeyEvent* event) {
    const auto mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    return ctrl ? alt : !alt;
}

bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

bool ColorEditKeyHandler::takeEarly(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // The window takes every key, Tab included; Ctrl+Tab stays with the window switcher.
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & Qt::ControlModifier)) {
            m_window.keyPressEvent(key);
            return true;
        }
    } else if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isAccelerator(key) || isTableKey(key->key()) ||
            (typesText(key) && !key->text().isEmpty())) {
            key->accept();
            return true;
        }
    }
    return false;
}

void ColorEditKeyHandler::keyPress(QKeyEvent* event) {
    if (handleAccelerator(event) || handleTableKey(event)) {
        event->accept();
        return;
    }
    typeText(event);
}

bool ColorEditKeyHandler::handleAccelerator(QKeyEvent* event) {
    if (!isAccelerator(event))
        return false;
    switch (event->key()) {
    case Qt::Key_C:
        m_window.runCommand(coloredit::ID_EDIT_COPY);
        break;
    case Qt::Key_V:
        m_window.runCommand(coloredit::ID_EDIT_PASTE);
        break;
    default:
        m_window.runCommand(coloredit::ID_EDIT_REDO);
        break;
    }
    return true;
}

// Every key of the table ends alike: the caret is brought into view, the anchor follows it
// unless Shift is held, and the caret shows again.
bool ColorEditKeyHandler::handleTableKey(QKeyEvent* event) {
    const int key = event->key();
    if (!isTableKey(key))
        return false;
    ColorEditModel& model = m_window.model();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    bool typeReturn = false;
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete)
        deleteAtCaret(key == Qt::Key_Backspace);
    else if (isEnterKey(key))
        // Ctrl+Enter types a line break too; plain Enter arrives as typed text below.
        typeReturn = ctrl && !model.isReadOnly();
    else
        moveCaret(key, ctrl, shift);
    m_window.EnsureCaretVisible();
    model.CollapseAnchor(shift);
    m_window.showCaret();
    if (typeReturn)
        typeCharacter('\r');
    else if (isEnterKey(key) && typesText(event) && !(event->modifiers() & Qt::AltModifier))
        typeCharacter('\r');
    return true;
}

void ColorEditKeyHandler::deleteAtCaret(bool backwards) {
    ColorEditModel& model = m_window.model();
    if (model.isReadOnly())
        return;
    if (model.HasSelection())
        model.DeleteSelection();
    else if (backwards)
        model.Backspace();
    else
        model.DeleteForward();
    m_window.notifyChange();
}

void ColorEditKeyHandler::moveCaret(int key, bool ctrl, bool shift) {
    ColorEditModel& model = m_window.model();
    const TextPos caret = model.caret();
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        m_window.hideCaret();
        model.CollapseAnchor(shift);
        key == Qt::Key_PageUp ? model.movePageUp() : model.movePageDown();
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        m_window.hideCaret();
        key == Qt::Key_Home ? model.moveHome(ctrl) : model.moveEnd(ctrl);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        m_window.hideCaret();
        model.CollapseAnchor(shift);
        if (key == Qt::Key_Left)
            ctrl ? model.moveWordLeft() : model.moveLeft();
        else
            ctrl ? model.moveWordRight() : model.moveRight();
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (key == Qt::Key_Up ? caret.line >= 1 : caret.line < model.lineCount() - 1) {
            m_window.hideCaret();
            model.CollapseAnchor(shift);
            key == Qt::Key_Up ? model.moveUp() : model.moveDown();
        }
        break;
    }
}

// Typed text is Latin-1: characters outside it cannot be stored and are not typed.
void ColorEditKeyHandler::typeText(QKeyEvent* event) {
    QString text = event->text();
    if (text.isEmpty() && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab))
        text = QStringLiteral("\t");
    if (!typesText(event) || text.isEmpty()) {
        event->ignore();
        return;
    }
    for (const QChar ch : text)
        if (ch.unicode() <= 0xFF)
            typeCharacter(static_cast<unsigned char>(ch.unicode()));
    event->accept();
}

void ColorEditKeyHandler::typeCharacter(unsigned char ch) {
    ColorEditModel& model = m_window.model();
    if (model.isReadOnly() || !(charclass::isPrintable(ch) || ch == '\r' || ch == '\t'))
        return;
    m_window.hideCaret();
    if (model.HasSelection())
        model.DeleteSelection();
    if (ch == '\t')
        model.InsertTab();
    else if (ch == '\r')
        model.InsertNewline();
    else
        model.InsertString(std::string(1, static_cast<char>(ch)));
    m_window.notifyChange();
    if (model.HasSelection()) {
        const TextPos a = model.anchor();
        const TextPos c = model.caret();
        m_window.repaintLines(std::min(a.line, c.line) - 1, std::max(a.line, c.line) + 1, 0);
    }
    m_window.showCaret();
}

} // namespace tovan
