// Keyboard, scroll bars and wheel of ColorEditWnd.
#include "core/textwnd/CharClass.h"
#include "gui/textwnd/ColorEditCommands.h"
#include "gui/textwnd/ColorEditWnd.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace tovan {

using Scroll = TextViewport::Scroll;

namespace {

bool toScroll(int action, Scroll& scroll) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        scroll = Scroll::LineBack;
        return true;
    case QAbstractSlider::SliderSingleStepAdd:
        scroll = Scroll::LineForward;
        return true;
    case QAbstractSlider::SliderPageStepSub:
        scroll = Scroll::PageBack;
        return true;
    case QAbstractSlider::SliderPageStepAdd:
        scroll = Scroll::PageForward;
        return true;
    case QAbstractSlider::SliderToMinimum:
        scroll = Scroll::ToStart;
        return true;
    case QAbstractSlider::SliderToMaximum:
        scroll = Scroll::ToEnd;
        return true;
    case QAbstractSlider::SliderMove:
        scroll = Scroll::Thumb;
        return true;
    default:
        return false;
    }
}

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
bool typesText(const QKeyEvent* event) {
    const auto mods = event->modifiers();
    return !(mods & Qt::ControlModifier) || (mods & Qt::AltModifier);
}

} // namespace

// --- Scroll bars and wheel -------------------------------------------------------------------

void ColorEditWnd::onVerticalAction(int action) {
    Scroll scroll;
    if (!toScroll(action, scroll))
        return;
    QScrollBar* bar = verticalScrollBar();
    hideCaret();
    const int count = m_model.lineCount();
    const int old = m_view.firstLine();
    if (m_view.scrollVertically(scroll, bar->sliderPosition(), count)) {
        const int first = m_view.firstLine();
        const int last = m_view.lastVisibleLine(count);
        const int diff = first - old;
        const int lh = m_view.lineHeight();
        if (scroll == Scroll::LineBack) {
            shiftContents(0, lh);
            repaintLines(first, first, 0);
        } else if (scroll == Scroll::LineForward) {
            shiftContents(0, -lh);
            repaintLines(last - 1, last, 0);
        } else if (scroll == Scroll::Thumb) {
            shiftContents(0, -diff * lh);
            if (diff < 0)
                repaintLines(first, old, 0);
            else
                repaintLines(last - diff - 1, last, 0);
        } else {
            repaintAll();
        }
    }
    bar->setSliderPosition(m_view.firstLine());
    showCaret();
}

void ColorEditWnd::onHorizontalAction(int action) {
    Scroll scroll;
    if (!toScroll(action, scroll))
        return;
    QScrollBar* bar = horizontalScrollBar();
    hideCaret();
    const int old = m_view.firstColumn();
    if (m_view.scrollHorizontally(scroll, bar->sliderPosition(),
                                  m_model.store().longestLineLength())) {
        const int cw = m_view.cellWidth();
        const int diff = m_view.firstColumn() - old;
        const int width = viewport()->width();
        const int height = viewport()->height();
        if (scroll == Scroll::LineBack || scroll == Scroll::LineForward ||
            scroll == Scroll::Thumb) {
            shiftContents(-diff * cw, 0);
            const int strip = std::abs(diff) * cw;
            if (diff < 0)
                repaintRect(QRect(0, 0, strip + TextViewport::LEFT_MARGIN, height));
            else
                repaintRect(QRect(width - strip, 0, strip, height));
        } else {
            repaintAll();
        }
    }
    bar->setSliderPosition(m_view.firstColumn());
    showCaret();
}

void ColorEditWnd::wheelEvent(QWheelEvent* event) {
    event->accept();
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))
        return;
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    hideCaret();
    if (m_view.wheel(delta, m_model.lineCount())) {
        m_scrollBarsStale = true;
        repaintAll();
    }
    showCaret();
}

// The wheel turned over a scroll bar scrolls the text by the same rule.
bool ColorEditWnd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel &&
        (watched == verticalScrollBar() || watched == horizontalScrollBar())) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

// --- Keyboard --------------------------------------------------------------------------------

bool ColorEditWnd::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // The window takes every key, Tab included; Ctrl+Tab stays with the window switcher.
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & Qt::ControlModifier)) {
            keyPressEvent(key);
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
    return QAbstractScrollArea::event(event);
}

void ColorEditWnd::keyPressEvent(QKeyEvent* event) {
    if (handleAccelerator(event) || handleTableKey(event)) {
        event->accept();
        return;
    }
    typeText(event);
}

bool ColorEditWnd::handleAccelerator(QKeyEvent* event) {
    if (!isAccelerator(event))
        return false;
    switch (event->key()) {
    case Qt::Key_C:
        runCommand(coloredit::ID_EDIT_COPY);
        break;
    case Qt::Key_V:
        runCommand(coloredit::ID_EDIT_PASTE);
        break;
    default:
        runCommand(coloredit::ID_EDIT_REDO);
        break;
    }
    return true;
}

bool ColorEditWnd::handleTableKey(QKeyEvent* event) {
    const int key = event->key();
    if (!isTableKey(key))
        return false;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const TextPos caret = m_model.caret();
    bool typeReturn = false;
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        if (!m_model.isReadOnly()) {
            if (m_model.HasSelection())
                m_model.DeleteSelection();
            else if (key == Qt::Key_Backspace)
                m_model.Backspace();
            else
                m_model.DeleteForward();
            Q_EMIT changed(m_controlId);
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Ctrl+Enter types a line break too; plain Enter arrives as typed text below.
        typeReturn = ctrl && !m_model.isReadOnly();
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        hideCaret();
        m_model.CollapseAnchor(shift);
        key == Qt::Key_PageUp ? m_model.movePageUp() : m_model.movePageDown();
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        hideCaret();
        key == Qt::Key_Home ? m_model.moveHome(ctrl) : m_model.moveEnd(ctrl);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        hideCaret();
        m_model.CollapseAnchor(shift);
        if (key == Qt::Key_Left)
            ctrl ? m_model.moveWordLeft() : m_model.moveLeft();
        else
            ctrl ? m_model.moveWordRight() : m_model.moveRight();
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (key == Qt::Key_Up ? caret.line >= 1 : caret.line < m_model.lineCount() - 1) {
            hideCaret();
            m_model.CollapseAnchor(shift);
            key == Qt::Key_Up ? m_model.moveUp() : m_model.moveDown();
        }
        break;
    }
    EnsureCaretVisible();
    m_model.CollapseAnchor(shift);
    showCaret();
    if (typeReturn)
        typeCharacter('\r');
    else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && typesText(event) &&
             !(event->modifiers() & Qt::AltModifier))
        typeCharacter('\r');
    return true;
}

// Typed text is Latin-1: characters outside it cannot be stored and are not typed.
void ColorEditWnd::typeText(QKeyEvent* event) {
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

void ColorEditWnd::typeCharacter(unsigned char ch) {
    if (m_model.isReadOnly() || !(charclass::isPrintable(ch) || ch == '\r' || ch == '\t'))
        return;
    hideCaret();
    if (m_model.HasSelection())
        m_model.DeleteSelection();
    if (ch == '\t')
        m_model.InsertTab();
    else if (ch == '\r')
        m_model.InsertNewline();
    else
        m_model.InsertString(std::string(1, static_cast<char>(ch)));
    Q_EMIT changed(m_controlId);
    if (m_model.HasSelection()) {
        const TextPos a = m_model.anchor();
        const TextPos c = m_model.caret();
        repaintLines(std::min(a.line, c.line) - 1, std::max(a.line, c.line) + 1, 0);
    }
    showCaret();
}

} // namespace tovan
