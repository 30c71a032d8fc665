#include "gui/app/MainFrameMenus.h"

#include "core/console/ConsoleCommands.h"
#include "gui/app/AppCommands.h"
#include "gui/app/CDocManagerEx.h"
#include "gui/app/CMainFrame.h"
#include "gui/app/CTOVANStudioDoc.h"
#include "gui/app/MainFrameActions.h"
#include "gui/console/CSplitterView.h"
#include "gui/tree/CControlTreeView.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>

namespace tovan {

using namespace appcmd;

MainFrameMenus::MainFrameMenus(CMainFrame& frame, const MainFrameActions& actions)
    : m_frame(frame), m_actions(actions) {}

void MainFrameMenus::rebuild(CSplitterView* console) {
    QMenuBar* bar = m_frame.menuBar();
    for (QAction* old : bar->actions())
        if (QMenu* menu = old->menu())
            menu->deleteLater();
    bar->clear();
    addFileMenu(console != nullptr);
    if (console)
        addEditMenu();
    addViewMenu();
    if (console) {
        addConsoleMenus(console);
        addWindowMenu();
    }
    addHelpMenu();
}

QStringList MainFrameMenus::titles() const {
    QStringList titles;
    for (QAction* action : m_frame.menuBar()->actions())
        titles << action->text();
    return titles;
}

void MainFrameMenus::addFileMenu(bool consoleMenu) {
    QMenu* file = m_frame.menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(m_actions.action(ID_FILE_NEW));
    file->addAction(m_actions.action(ID_FILE_OPEN));
    if (consoleMenu) {
        file->addAction(m_actions.action(ID_FILE_CLOSE));
        file->addAction(m_actions.action(ID_FILE_SAVE));
        file->addAction(m_actions.action(ID_FILE_SAVE_AS));
        file->addSeparator();
        file->addAction(m_actions.action(ID_FILE_PRINT));
    }
    file->addAction(m_actions.action(ID_FILE_PRINT_SETUP));
    addRecentFiles(file);
    file->addSeparator();
    file->addAction(m_actions.action(ID_APP_EXIT));
}

void MainFrameMenus::addRecentFiles(QMenu* file) {
    if (!m_documents)
        return;
    const QStringList paths = m_documents->recentFiles().paths();
    file->addSeparator();
    if (paths.isEmpty()) {
        file->addAction(QStringLiteral("Recent File"))->setEnabled(false);
        return;
    }
    for (int i = 0; i < paths.size(); ++i) {
        const QString path = paths.at(i);
        QAction* entry = file->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
        entry->setObjectName(QString::number(ID_FILE_MRU_FILE1 + i));
        entry->setStatusTip(QStringLiteral("Open this document"));
        // Queued: opening rebuilds the menus, this entry's menu among them.
        CDocManagerEx* documents = m_documents;
        QObject::connect(entry, &QAction::triggered, &m_frame, [this, documents, path] {
            QMetaObject::invokeMethod(
                &m_frame, [documents, path] { documents->openDocumentFile(path); },
                Qt::QueuedConnection);
        });
    }
}

void MainFrameMenus::addEditMenu() {
    QMenu* edit = m_frame.menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(m_actions.action(ID_EDIT_UNDO));
    edit->addSeparator();
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE})
        edit->addAction(m_actions.action(id));
    edit->addSeparator();
    edit->addAction(m_actions.action(ID_EDIT_FIND));
}

void MainFrameMenus::addViewMenu() {
    QMenu* view = m_frame.menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(m_actions.action(ID_VIEW_TOOLBAR));
    view->addAction(m_actions.action(ID_VIEW_STATUS_BAR));
}

void MainFrameMenus::addConsoleMenus(CSplitterView* console) {
    addSettingsMenu(console);
    addCommandMenu(console);
}

void MainFrameMenus::addSettingsMenu(CSplitterView* console) {
    QMenu* settings = m_frame.menuBar()->addMenu(QStringLiteral("&Settings"));
    for (int id : {consolecmd::ID_CHOOSE_PORT, consolecmd::ID_OPEN_PORT, consolecmd::ID_CLOSE_PORT,
                   consolecmd::ID_CLEAR_VIEW, consolecmd::ID_LOGGING})
        settings->addAction(console->commandAction(id));
    if (QAction* parse = console->commandAction(consolecmd::ID_PARSE_RX)) {
        settings->addSeparator();
        settings->addAction(parse);
        settings->addAction(console->commandAction(consolecmd::ID_TEST_SEQUENCE));
        settings->addAction(m_actions.action(consolecmd::ID_METER_OVERVIEW));
        settings->addAction(m_actions.action(consolecmd::ID_METER_KEYS));
    }
    settings->addSeparator();
    QMenu* options = settings->addMenu(QStringLiteral("&Traffic options"));
    for (int id :
         {consolecmd::ID_SHOW_DISCARDED, consolecmd::ID_MILLISECONDS, consolecmd::ID_SIDE_BY_SIDE})
        options->addAction(console->commandAction(id));
    settings->addAction(console->commandAction(consolecmd::ID_RECONNECT));
}

void MainFrameMenus::addCommandMenu(CSplitterView* console) {
    QMenu* command = m_frame.menuBar()->addMenu(QStringLiteral("&Command"));
    CControlTreeView* tree = console->tree();
    QObject::connect(command, &QMenu::aboutToShow, tree, &CControlTreeView::updateCommandActions);
    for (QAction* action : tree->commandActions()) {
        if (action->data().toInt() == 32783)
            command->addSeparator();
        command->addAction(action);
    }
    command->addSeparator();
    for (int id :
         {consolecmd::ID_RUN_PLAN, consolecmd::ID_RUN_FOLDER_PLAN, consolecmd::ID_PLAN_RESULTS})
        command->addAction(m_actions.action(id));
}

void MainFrameMenus::addWindowMenu() {
    QMenu* window = m_frame.menuBar()->addMenu(QStringLiteral("&Window"));
    QObject::connect(window, &QMenu::aboutToShow, &m_frame,
                     [this, window] { fillWindowMenu(window); });
    fillWindowMenu(window);
}

// Cascade, tile, and one entry per open console, the active one checked.
void MainFrameMenus::fillWindowMenu(QMenu* menu) {
    menu->clear();
    for (int id : {ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE})
        menu->addAction(m_actions.action(id));
    QMdiArea* area = m_frame.mdiArea();
    const QList<QMdiSubWindow*> windows = area->subWindowList();
    if (!windows.isEmpty())
        menu->addSeparator();
    for (int i = 0; i < windows.size(); ++i) {
        auto* console = qobject_cast<CSplitterView*>(windows.at(i));
        CTOVANStudioDoc* document = m_documents ? m_documents->documentOf(console) : nullptr;
        QString text = QStringLiteral("&%1 %2").arg(i + 1).arg(windows.at(i)->windowTitle());
        if (document)
            text += QStringLiteral(" - ") + document->title();
        QAction* entry = menu->addAction(text);
        entry->setCheckable(true);
        entry->setChecked(windows.at(i) == area->activeSubWindow());
        QObject::connect(entry, &QAction::triggered, &m_frame,
                         [this, console] { m_frame.activateConsole(console); });
    }
}

void MainFrameMenus::addHelpMenu() {
    QMenu* help = m_frame.menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(m_actions.action(ID_HELP_FINDER));
    help->addSeparator();
    help->addAction(m_actions.action(ID_APP_ABOUT));
}

} // namespace tovan
