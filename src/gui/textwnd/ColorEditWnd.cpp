#include "gui/textwnd/ColorEditWnd.h"

#include "gui/textwnd/TextCaret.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace tovan {

ColorEditWnd::ColorEditWnd(QWidget* parent, int controlId, int tabWidth, int fontSize,
                           const QString& faceName, bool withHorizontalBar)
    : QAbstractScrollArea(parent), m_model(tabWidth, this), m_controlId(controlId) {
    setObjectName(QString::number(controlId));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(withHorizontalBar ? Qt::ScrollBarAlwaysOn
                                                   : Qt::ScrollBarAlwaysOff);
    // Every pixel is painted each time, so there is nothing to erase first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    viewport()->setCursor(Qt::IBeamCursor);

    m_font = QFont(faceName);
    m_font.setPointSizeF(fontSize / 10.0);
    m_font.setStyleHint(QFont::TypeWriter);
    m_font.setFixedPitch(true);
    m_font.setKerning(false);
    m_painter.setFont(m_font);

    m_caret = new TextCaret(viewport());
    measureFont();

    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { m_pointer.verticalAction(action); });
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { m_pointer.horizontalAction(action); });
    verticalScrollBar()->installEventFilter(this);
    horizontalScrollBar()->installEventFilter(this);
    m_sinceFrame.start();

    m_model.Reset();
    m_model.setLineLimit(ColorEditModel::DEFAULT_LINE_LIMIT);
}

ColorEditWnd::~ColorEditWnd() {
    m_model.setHooks(nullptr);
}

// Entries come in on top. Where the user reads further down, the same lines stay on the
// screen; at the top the newest shows as it comes. Marks of found text move with their lines.
void ColorEditWnd::AddLine(std::string_view text, Colour colour) {
    const int first = m_view.firstLine();
    // The model drops what lies beyond its limit before it adds the entry on top.
    const int kept = std::min(m_model.lineCount(), m_model.lineLimit());
    m_model.AddLine(text, colour);
    const int inserted = m_model.lineCount() - kept;
    m_painter.shiftHighlights(inserted, m_model.lineCount());
    if (first > 0)
        ScrollToLine(first + inserted);
}

void ColorEditWnd::Reset() {
    m_model.Reset();
}

void ColorEditWnd::SetSelection(int anchorColumn, int anchorLine, int caretColumn, int caretLine) {
    m_model.SetSelection(anchorColumn, anchorLine, caretColumn, caretLine);
}

void ColorEditWnd::setHighlights(std::vector<TextMatch> matches) {
    m_painter.setHighlights(std::move(matches));
    repaintAll();
}

void ColorEditWnd::showMatch(const TextMatch& match) {
    m_model.SetSelection(match.column, match.line, match.column + match.length, match.line);
    EnsureCaretVisible();
    repaintAll();
}

void ColorEditWnd::AddCharSpacing(int n) {
    m_view.setCellSize(m_view.cellWidth() + std::max(n, 0), m_view.lineHeight());
    UpdateScrollBars();
    repaintAll();
}

// Cells are as wide as the font's average character and as tall as its height.
void ColorEditWnd::measureFont() {
    const QFontMetrics metrics(m_font, viewport());
    int width = metrics.averageCharWidth();
    if (width <= 0)
        width = metrics.horizontalAdvance(QLatin1Char('0'));
    m_view.setCellSize(width, metrics.height());
    m_caret->resize(2, m_view.lineHeight());
}

// --- Hooks of the text model ------------------------------------------------------------

void ColorEditWnd::UpdateScrollBars() {
    m_scrollBarsStale = true;
    scheduleFrame();
}

void ColorEditWnd::repaintAll() {
    m_pendingFull = true;
    m_pendingRect = QRect();
    scheduleFrame();
}

void ColorEditWnd::repaintLines(int a, int b, int grow) {
    repaintRect(linesRect(a, b).adjusted(0, -grow, 0, grow));
}

void ColorEditWnd::repaintFrom(int line) {
    const int top = std::max(m_view.lineTop(line), 0);
    repaintRect(QRect(0, top, viewport()->width(), viewport()->height() - top));
}

void ColorEditWnd::EnsureCaretVisible() {
    bool vertical = false;
    bool horizontal = false;
    m_view.EnsureCaretVisible(m_model.caret(), m_model.lineCount(), vertical, horizontal);
    if (vertical || horizontal)
        originMoved();
}

void ColorEditWnd::showCaret() {
    if (!hasFocus())
        return;
    if (!m_caretShown) {
        m_caretShown = true;
        m_caret->show();
        const int flash = QApplication::cursorFlashTime();
        if (flash > 0)
            m_blinkTimer.start(flash / 2, this);
    }
    placeCaretWidget();
}

void ColorEditWnd::hideCaret() {
    if (!hasFocus())
        return;
    if (m_caretShown) {
        m_caretShown = false;
        m_caret->hide();
        m_blinkTimer.stop();
    }
    placeCaretWidget();
}

void ColorEditWnd::placeCaretWidget() {
    const TextPos caret = m_model.caret();
    m_caret->move(m_view.caretX(caret.column), m_view.lineTop(caret.line));
    auto background = [&](int column) {
        return ColorEditPainter::toQColor(m_model.IsSelected(column, caret.line)
                                              ? m_model.selectionBackColour()
                                              : m_model.backgroundColour());
    };
    m_caret->setBackgrounds(background(caret.column - 1), background(caret.column));
    if (m_caretShown)
        m_caret->show(); // a moved caret is shown solid before it blinks again
}

void ColorEditWnd::ScrollToLine(int line) {
    m_view.ScrollToLine(line, m_model.lineCount());
    originMoved();
}

int ColorEditWnd::visibleLines() const {
    return m_view.visibleLines(m_model.lineCount());
}

void ColorEditWnd::notifyChange() {
    Q_EMIT changed(m_controlId);
}

void ColorEditWnd::resetView() {
    m_view.setOrigin(0, 0);
    m_pointer.endSelecting();
    m_caretShown = false;
    m_caret->hide();
    m_blinkTimer.stop();
    originMoved();
}

// --- Frames: repaints and scroll bars at most once per screen refresh --------------------

void ColorEditWnd::originMoved() {
    m_scrollBarsStale = true;
    repaintAll();
}

QRect ColorEditWnd::linesRect(int a, int b) const {
    const int top = m_view.lineTop(std::min(a, b));
    const int bottom = m_view.lineTop(std::max(a, b)) + m_view.lineHeight();
    return QRect(0, top, viewport()->width(), bottom - top);
}

void ColorEditWnd::repaintRect(const QRect& rect) {
    const QRect visible = rect & viewport()->rect();
    if (visible.isEmpty())
        return;
    if (!m_pendingFull)
        m_pendingRect |= visible;
    scheduleFrame();
}

void ColorEditWnd::scheduleFrame() {
    if (m_frameTimer.isActive())
        return;
    const QScreen* s = screen();
    const double rate = s && s->refreshRate() > 1.0 ? s->refreshRate() : 60.0;
    const int interval = static_cast<int>(std::ceil(1000.0 / rate));
    const int wait = std::max<qint64>(0, interval - m_sinceFrame.elapsed());
    m_frameTimer.start(wait, Qt::PreciseTimer, this);
}

void ColorEditWnd::flushFrame() {
    m_frameTimer.stop();
    m_sinceFrame.restart();
    if (m_scrollBarsStale)
        syncScrollBars();
    if (m_pendingFull)
        viewport()->update();
    else if (m_pendingRect.isValid())
        viewport()->update(m_pendingRect);
    m_pendingFull = false;
    m_pendingRect = QRect();
}

void ColorEditWnd::syncScrollBars() {
    m_scrollBarsStale = false;
    auto apply = [](QScrollBar* bar, const TextViewport::Bar& state) {
        bar->setRange(0, state.maximum);
        bar->setPageStep(std::max(state.page, 1));
        bar->setValue(state.position);
        bar->setEnabled(state.needed);
    };
    apply(verticalScrollBar(), m_view.verticalBar(m_model.lineCount()));
    if (horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        apply(horizontalScrollBar(), m_view.horizontalBar(m_model.store().longestLineLength()));
}

// Moves what is already on the screen instead of painting it again. With repaints still
// waiting for the next frame the old pixels are not trustworthy, so everything is repainted.
void ColorEditWnd::shiftContents(int dx, int dy) {
    const QRect area(TextViewport::LEFT_MARGIN, 0, viewport()->width() - TextViewport::LEFT_MARGIN,
                     viewport()->height());
    if (m_pendingFull || m_pendingRect.isValid() || std::abs(dx) >= area.width() ||
        std::abs(dy) >= area.height()) {
        repaintAll();
        return;
    }
    viewport()->scroll(dx, dy, area);
}

// --- Window events --------------------------------------------------------------------------

bool ColorEditWnd::event(QEvent* event) {
    return m_keys.takeEarly(event) || QAbstractScrollArea::event(event);
}

bool ColorEditWnd::eventFilter(QObject* watched, QEvent* event) {
    return m_pointer.takeScrollBarWheel(watched, event) ||
           QAbstractScrollArea::eventFilter(watched, event);
}

void ColorEditWnd::contextMenuEvent(QContextMenuEvent* event) {
    m_commands.showContextMenu(event->globalPos());
}

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
    m_pointer.endSelecting();
    if (m_caretShown) {
        m_caretShown = false;
        m_caret->hide();
        m_blinkTimer.stop();
    }
    Q_EMIT focusLost(m_controlId);
}

void ColorEditWnd::paintEvent(QPaintEvent* event) {
    m_sinceFrame.restart(); // the next frame is due one refresh after what was shown
    QPainter painter(viewport());
    m_painter.paint(painter, m_model, m_view, event->rect());
}

void ColorEditWnd::resizeEvent(QResizeEvent* event) {
    m_view.setClientSize(viewport()->width(), viewport()->height());
    UpdateScrollBars();
    QAbstractScrollArea::resizeEvent(event);
}

void ColorEditWnd::showEvent(QShowEvent* event) {
    if (m_remeasureOnShow) {
        m_remeasureOnShow = false;
        measureFont(); // any spacing added with AddCharSpacing is gone
        UpdateScrollBars();
        repaintAll();
    }
    QAbstractScrollArea::showEvent(event);
}

void ColorEditWnd::hideEvent(QHideEvent* event) {
    if (!event->spontaneous())
        m_remeasureOnShow = true;
    QAbstractScrollArea::hideEvent(event);
}

void ColorEditWnd::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_frameTimer.timerId())
        flushFrame();
    else if (event->timerId() == m_blinkTimer.timerId())
        m_caret->setVisible(m_caretShown && !m_caret->isVisible());
    else
        QAbstractScrollArea::timerEvent(event);
}

} // namespace tovan
