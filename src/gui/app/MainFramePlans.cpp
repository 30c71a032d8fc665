#include "gui/app/MainFramePlans.h"

#include "core/console/ConsoleCommands.h"
#include "gui/app/CMainFrame.h"
#include "gui/console/CSplitterView.h"
#include "gui/console/PlanLauncher.h"
#include "gui/console/PlanResultsPane.h"

#include <QAction>
#include <QDockWidget>

namespace tovan {

MainFramePlans::MainFramePlans(CMainFrame& frame) : m_frame(frame) {
    m_pane = new PlanResultsPane(&frame);
    m_dock = new QDockWidget(QStringLiteral("Test plan results"), &frame);
    m_dock->setObjectName(QStringLiteral("planDock"));
    m_dock->setWidget(m_pane);
    frame.addDockWidget(Qt::BottomDockWidgetArea, m_dock);
    m_dock->hide();
    QAction* shown = frame.commandAction(consolecmd::ID_PLAN_RESULTS);
    QObject::connect(shown, &QAction::toggled, m_dock, &QDockWidget::setVisible);
    QObject::connect(m_dock, &QDockWidget::visibilityChanged, shown,
                     [this, shown](bool) { shown->setChecked(!m_dock->isHidden()); });
    QObject::connect(frame.commandAction(consolecmd::ID_RUN_PLAN), &QAction::triggered, &frame,
                     [this] { run(false); });
    QObject::connect(frame.commandAction(consolecmd::ID_RUN_FOLDER_PLAN), &QAction::triggered,
                     &frame, [this] { run(true); });
}

void MainFramePlans::setConsole(CSplitterView* console) {
    m_pane->setConsole(console);
}

void MainFramePlans::run(bool folder) {
    CSplitterView* console = m_frame.activeConsole();
    if (!console)
        return;
    PlanLauncher launcher(*console, &m_frame);
    if (!(folder ? launcher.runSelectedFolder() : launcher.runFile()))
        return;
    m_pane->setConsole(console);
    m_pane->refresh();
    m_dock->show();
    m_dock->raise();
}

} // namespace tovan
