#include "gui/textwnd/ColorEditPointerHandler.h"

#include "gui/textwnd/ColorEditWnd.h"

#include <QMouseEvent>
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

} // namespace

// --- Mouse -----------------------------------------------------------------------------------

// The text position under a point: a press rounds to the nearest cell boundary, a drag rounds
// by its direction. Always clamped into the text.
TextPos ColorEditPointerHandler::pointAt(const QPoint& pos, bool forDrag) const {
    const ColorEditModel& model = m_window.model();
    const TextViewport& view = m_window.view();
    const int line = std::clamp(view.lineAt(pos.y()), 0, model.lineCount() - 1);
    const int column = forDrag ? view.columnAtDrag(pos.x(), m_downX) : view.columnAtPress(pos.x());
    return TextPos{std::clamp(column, 0, model.store().lineLength(line)), line};
}

void ColorEditPointerHandler::press(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    ColorEditModel& model = m_window.model();
    const QPoint pos = event->position().toPoint();
    m_selecting = true;
    m_downX = pos.x() - TextViewport::LEFT_MARGIN;
    m_window.setFocus(Qt::MouseFocusReason);
    m_window.hideCaret();
    const TextPos at = pointAt(pos, false);
    model.setCaretClamped(at.column, at.line);
    if (event->modifiers() & Qt::ShiftModifier) {
        m_window.repaintAll(); // the anchor stays: the selection extends to the click
    } else {
        model.CollapseAnchor(false);
        model.HasSelection();
    }
    m_window.showCaret();
}

void ColorEditPointerHandler::move(QMouseEvent* event) {
    if (!m_selecting)
        return;
    ColorEditModel& model = m_window.model();
    const TextPos old = model.caret();
    const TextPos at = pointAt(event->position().toPoint(), true);
    model.setCaretClamped(at.column, at.line);
    if (model.caret() != old) {
        m_window.hideCaret();
        m_window.repaintLines(old.line, at.line, 0);
        m_window.showCaret();
    }
}

void ColorEditPointerHandler::release(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_selecting = false;
}

void ColorEditPointerHandler::doubleClick(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    ColorEditModel& model = m_window.model();
    m_selecting = false;
    m_window.setFocus(Qt::MouseFocusReason);
    m_window.hideCaret();
    m_window.repaintLines(model.anchor().line, model.caret().line, 0);
    const TextPos at = pointAt(event->position().toPoint(), false);
    model.selectWordAt(at.column, at.line);
    m_window.repaintLines(at.line, at.line, 0);
    m_window.showCaret();
}

// --- Scroll bars and wheel -------------------------------------------------------------------

void ColorEditPointerHandler::verticalAction(int action) {
    Scroll scroll;
    if (!toScroll(action, scroll))
        return;
    TextViewport& view = m_window.mutableView();
    QScrollBar* bar = m_window.verticalScrollBar();
    m_window.hideCaret();
    const int count = m_window.model().lineCount();
    const int old = view.firstLine();
    if (view.scrollVertically(scroll, bar->sliderPosition(), count)) {
        const int first = view.firstLine();
        const int last = view.lastVisibleLine(count);
        const int diff = first - old;
        const int lh = view.lineHeight();
        if (scroll == Scroll::LineBack) {
            m_window.shiftContents(0, lh);
            m_window.repaintLines(first, first, 0);
        } else if (scroll == Scroll::LineForward) {
            m_window.shiftContents(0, -lh);
            m_window.repaintLines(last - 1, last, 0);
        } else if (scroll == Scroll::Thumb) {
            m_window.shiftContents(0, -diff * lh);
            if (diff < 0)
                m_window.repaintLines(first, old, 0);
            else
                m_window.repaintLines(last - diff - 1, last, 0);
        } else {
            m_window.repaintAll();
        }
    }
    bar->setSliderPosition(view.firstLine());
    m_window.showCaret();
}

void ColorEditPointerHandler::horizontalAction(int action) {
    Scroll scroll;
    if (!toScroll(action, scroll))
        return;
    TextViewport& view = m_window.mutableView();
    QScrollBar* bar = m_window.horizontalScrollBar();
    m_window.hideCaret();
    const int old = view.firstColumn();
    if (view.scrollHorizontally(scroll, bar->sliderPosition(),
                                m_window.model().store().longestLineLength())) {
        const int cw = view.cellWidth();
        const int diff = view.firstColumn() - old;
        const int width = m_window.viewport()->width();
        const int height = m_window.viewport()->height();
        if (scroll == Scroll::LineBack || scroll == Scroll::LineForward ||
            scroll == Scroll::Thumb) {
            m_window.shiftContents(-diff * cw, 0);
            const int strip = std::abs(diff) * cw;
            if (diff < 0)
                m_window.repaintRect(QRect(0, 0, strip + TextViewport::LEFT_MARGIN, height));
            else
                m_window.repaintRect(QRect(width - strip, 0, strip, height));
        } else {
            m_window.repaintAll();
        }
    }
    bar->setSliderPosition(view.firstColumn());
    m_window.showCaret();
}

void ColorEditPointerHandler::wheel(QWheelEvent* event) {
    event->accept();
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))
        return;
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    m_window.hideCaret();
    if (m_window.mutableView().wheel(delta, m_window.model().lineCount()))
        m_window.originMoved();
    m_window.showCaret();
}

bool ColorEditPointerHandler::takeScrollBarWheel(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel ||
        (watched != m_window.verticalScrollBar() && watched != m_window.horizontalScrollBar()))
        return false;
    m_window.wheelEvent(static_cast<QWheelEvent*>(event));
    return true;
}

} // namespace tovan
