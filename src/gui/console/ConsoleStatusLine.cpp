#include "gui/console/ConsoleStatusLine.h"

#include "gui/shared/DialogUnits.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>

namespace tovan {
namespace {

// Widths in pixels; the log-file pane takes what a separator pane gets by default, a quarter
// of the screen's width. 0: the pane stretches.
int paneWidth(int pane) {
    switch (pane) {
    case StatusLine::LOGGING_STATE:
        return 100;
    case StatusLine::LOG_FILE: {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->geometry().width() / 4 : 256;
    }
    case StatusLine::PORT_NAME:
    case StatusLine::BAUD:
        return 50;
    default:
        return 0;
    }
}

} // namespace

ConsoleStatusLine::ConsoleStatusLine(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(CONTROL_ID));
    setFont(dlu::dialogFont());
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    for (int pane = 0; pane < PANE_COUNT; ++pane) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("pane%1").arg(pane));
        label->setTextFormat(Qt::PlainText);
        label->setContentsMargins(2, 0, 2, 0);
        const int width = paneWidth(pane);
        if (width > 0) {
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setFixedWidth(width);
        } else {
            label->setMinimumWidth(1);
        }
        // The log file's path is long and may give way; the others show their text whole.
        if (pane == LOG_FILE)
            label->setMinimumWidth(50);
        layout->addWidget(label, width > 0 ? 0 : 1);
        m_panes[static_cast<std::size_t>(pane)] = label;
    }
}

void ConsoleStatusLine::setPaneText(int pane, std::string_view text) {
    if (pane < 0 || pane >= PANE_COUNT)
        return;
    QLabel* label = m_panes[static_cast<std::size_t>(pane)];
    label->setText(QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
    // A pane is never narrower than its text: "SIM-VM77-1 opened" stays readable however
    // narrow the console is.
    const int needed = label->fontMetrics().horizontalAdvance(label->text()) +
                       label->contentsMargins().left() + label->contentsMargins().right() + 4;
    const int stated = paneWidth(pane);
    if (pane == PORT_STATE)
        label->setMinimumWidth(needed);
    else if (pane == LOG_FILE)
        label->setMaximumWidth(std::max(stated, needed));
    else if (stated > 0)
        label->setFixedWidth(std::max(stated, needed));
}

void ConsoleStatusLine::showMessage(std::string_view text) {
    if (auto* frame = qobject_cast<QMainWindow*>(window()))
        frame->statusBar()->showMessage(
            QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())), 5000);
}

QString ConsoleStatusLine::paneText(int pane) const {
    return pane >= 0 && pane < PANE_COUNT ? m_panes[static_cast<std::size_t>(pane)]->text()
                                          : QString();
}

QRect ConsoleStatusLine::paneRect(int pane) const {
    return pane >= 0 && pane < PANE_COUNT ? m_panes[static_cast<std::size_t>(pane)]->geometry()
                                          : QRect();
}

int ConsoleStatusLine::paneAt(const QPoint& point) const {
    for (int pane = 0; pane < PANE_COUNT; ++pane)
        if (paneRect(pane).contains(point))
            return pane;
    return -1;
}

void ConsoleStatusLine::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const int pane = paneAt(event->position().toPoint());
        if (pane >= 0)
            Q_EMIT paneDoubleClicked(pane);
    }
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace tovan
