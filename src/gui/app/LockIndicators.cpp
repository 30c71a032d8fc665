#include "gui/app/LockIndicators.h"

#include "gui/app/X11LockState.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>

namespace tovan {
namespace {

constexpr const char* PANE_TEXTS[3] = {"CAP", "NUM", "SCRL"};

} // namespace

LockIndicators::LockIndicators(QStatusBar* bar) : QObject(bar) {
    for (int i = 0; i < 3; ++i) {
        m_panes[i] = new QLabel(QString::fromLatin1(PANE_TEXTS[i]), bar);
        m_panes[i]->setObjectName(QString::fromLatin1(PANE_TEXTS[i]));
        m_panes[i]->setAlignment(Qt::AlignCenter);
        m_panes[i]->setMinimumWidth(m_panes[i]->fontMetrics().horizontalAdvance("SCRL") + 8);
        bar->addPermanentWidget(m_panes[i]);
    }
    if (qApp)
        qApp->installEventFilter(this);
    refresh();
}

void LockIndicators::refresh() {
    for (int i = 0; i < 3; ++i)
        m_panes[i]->setEnabled(x11LockIsOn(static_cast<LockKey>(i)));
}

bool LockIndicators::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::KeyRelease || event->type() == QEvent::ApplicationStateChange)
        refresh();
    return false;
}

} // namespace tovan
