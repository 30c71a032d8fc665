// The main window's commands: the actions by id, the toolbar, and the menus, which follow
// the active console (menu 128 while none is open, the console's menu 130 or 138 otherwise).
#include "gui/app/AppCommands.h"
#include "gui/app/CDocManagerEx.h"
#include "gui/app/CMainFrame.h"
#include "gui/app/CTOVANStudioDoc.h"
#include "gui/console/CSplitterView.h"
#include "core/console/ConsoleCommands.h"
#include "gui/tree/CControlTreeView.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace tovan {

using namespace appcmd;

namespace {

QIcon picture(const char* theme, const char* ours) {
    return QIcon::fromTheme(QString::fromLatin1(theme),
                            QIcon(QStringLiteral(":/tovan/pictures/%1.png").arg(ours)));
}

// The console commands that the toolbar offers, with the toolbar's tool tips and pictures.
struct ConsoleButton {
    int id;
    const char* toolTip;
    const char* picture;
};
constexpr ConsoleButton CONSOLE_BUTTONS[] = {
    {consolecmd::ID_OPEN_PORT, "Open COM-Port", "open-port"},
    {consolecmd::ID_CLOSE_PORT, "Close COM-Port", "close-port"},
    {consolecmd::ID_CLEAR_VIEW, "Clear view", "clear-view"},
    {consolecmd::ID_LOGGING, "Communication logging", "logging"},
};

} // namespace

QAction* CMainFrame::addCommand(int id, const QString& text, const QString& prompt,
                                void (CMainFrame::*handler)()) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::number(id));
    action->setData(id);
    // The prompt's second part, after a line feed, is the tool tip.
    action->setStatusTip(prompt.section('\n', 0, 0));
    if (prompt.contains('\n'))
        action->setToolTip(prompt.section('\n', 1));
    if (handler)
        connect(action, &QAction::triggered, this, handler);
    m_commands.insert(id, action);
    addAction(action); // the accelerators work wherever the focus is in the window
    return action;
}

QAction* CMainFrame::commandAction(int commandId) const {
    return m_commands.value(commandId, nullptr);
}

void CMainFrame::createActions() {
    addCommand(ID_FILE_NEW, "&New", "Create a new document\nNew", &CMainFrame::fileNew)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    addCommand(ID_FILE_OPEN, "&Open...", "Open an existing document\nOpen", &CMainFrame::fileOpen)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    addCommand(ID_FILE_CLOSE, "&Close", "Close the active document\nClose", &CMainFrame::fileClose);
    addCommand(ID_FILE_SAVE, "&Save", "Save the active document\nSave", &CMainFrame::fileSave)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    addCommand(ID_FILE_SAVE_AS, "Save &As...", "Save the active document with a new name\nSave As",
               &CMainFrame::fileSaveAs);
    addCommand(ID_FILE_PRINT, "&Print...", "Print the active document\nPrint",
               &CMainFrame::filePrint)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    addCommand(ID_FILE_PRINT_SETUP, "P&rint Setup...",
               "Change the printer and printing options\nPrint Setup", &CMainFrame::filePrintSetup);
    addCommand(ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents\nExit",
               nullptr);
    connect(commandAction(ID_APP_EXIT), &QAction::triggered, this, &QWidget::close);

    addCommand(ID_EDIT_UNDO, "&Undo", "Undo the last action\nUndo", &CMainFrame::editUndo)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    addCommand(ID_EDIT_CUT, "Cu&t", "Cut the selection and put it on the Clipboard\nCut",
               &CMainFrame::editCut)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    addCommand(ID_EDIT_COPY, "&Copy", "Copy the selection and put it on the Clipboard\nCopy",
               &CMainFrame::editCopy)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    addCommand(ID_EDIT_PASTE, "&Paste", "Insert Clipboard contents\nPaste", &CMainFrame::editPaste)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    addCommand(ID_EDIT_FIND, "&Find...", "Find or filter the traffic of the active console\nFind",
               &CMainFrame::editFind)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    addCommand(ID_NEXT_PANE, "Next Pane", "Switch to the next window pane\nNext Pane",
               &CMainFrame::nextPane)
        ->setShortcut(QKeySequence(Qt::Key_F6));
    addCommand(ID_PREV_PANE, "Previous Pane",
               "Switch back to the previous window pane\nPrevious Pane", &CMainFrame::previousPane)
        ->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));

    addCommand(ID_WINDOW_CASCADE, "&Cascade", "Arrange windows so they overlap\nCascade Windows",
               &CMainFrame::windowCascade);
    addCommand(ID_WINDOW_TILE_HORZ, "&Tile",
               "Arrange windows as non-overlapping tiles\nTile Windows", &CMainFrame::windowTile);
    addCommand(ID_WINDOW_ARRANGE, "&Arrange Icons",
               "Arrange icons at the bottom of the window\nArrange Icons", &CMainFrame::windowTile);

    // Help needs a help file the workbench does not have; About and context help do nothing.
    addCommand(ID_HELP_FINDER, "&Help Topics", "List Help topics\nHelp Topics",
               &CMainFrame::noEffect);
    addCommand(ID_HELP, "Help", "Display help for current task or command\nHelp",
               &CMainFrame::noEffect)
        ->setShortcut(QKeySequence(Qt::Key_F1));
    addCommand(ID_CONTEXT_HELP, "Context Help",
               "Display help for clicked on buttons, menus and windows\nHelp",
               &CMainFrame::noEffect)
        ->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    addCommand(ID_APP_ABOUT, "&About TOVAN Commander...",
               "Display program information, version number and copyright\nAbout",
               &CMainFrame::noEffect);

    // The console commands on the toolbar act on the active console.
    for (const ConsoleButton& button : CONSOLE_BUTTONS) {
        QAction* action =
            addCommand(button.id, QString::fromLatin1(button.toolTip), QString(), nullptr);
        action->setIcon(picture("", button.picture));
        connect(action, &QAction::triggered, this, [this, id = button.id] {
            if (CSplitterView* console = activeConsole())
                if (QAction* own = console->commandAction(id))
                    own->trigger();
        });
    }

    QAction* meters =
        addCommand(consolecmd::ID_METER_OVERVIEW, "Meter overview",
                   "Show every meter the VM77 module has heard\nMeter overview", nullptr);
    meters->setCheckable(true);
    meters->setIcon(picture("", "meters"));

    commandAction(ID_FILE_NEW)->setIcon(picture("document-new", "new"));
    commandAction(ID_FILE_OPEN)->setIcon(picture("document-open", "open"));
    commandAction(ID_FILE_SAVE)->setIcon(picture("document-save", "save"));
    commandAction(ID_EDIT_CUT)->setIcon(picture("edit-cut", "cut"));
    commandAction(ID_EDIT_COPY)->setIcon(picture("edit-copy", "copy"));
    commandAction(ID_EDIT_PASTE)->setIcon(picture("edit-paste", "paste"));
    commandAction(ID_FILE_PRINT)->setIcon(picture("document-print", "print"));
    commandAction(ID_APP_ABOUT)->setIcon(picture("help-about", "about"));
    commandAction(ID_CONTEXT_HELP)->setIcon(picture("help-contextual", "help"));
}

void CMainFrame::createToolBar() {
    m_toolBar = new QToolBar(QStringLiteral("Standard"), this);
    m_toolBar->setObjectName(QString::number(ID_VIEW_TOOLBAR));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolBar->setMovable(true);
    const int buttons[] = {ID_FILE_NEW,
                           ID_FILE_OPEN,
                           ID_FILE_SAVE,
                           0,
                           ID_EDIT_CUT,
                           ID_EDIT_COPY,
                           ID_EDIT_PASTE,
                           0,
                           ID_FILE_PRINT,
                           0,
                           ID_APP_ABOUT,
                           ID_CONTEXT_HELP,
                           0,
                           consolecmd::ID_OPEN_PORT,
                           consolecmd::ID_CLOSE_PORT,
                           consolecmd::ID_CLEAR_VIEW,
                           consolecmd::ID_LOGGING};
    for (int id : buttons) {
        if (id == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(commandAction(id));
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    QAction* toolbar = m_toolBar->toggleViewAction();
    toolbar->setText(QStringLiteral("&Toolbar"));
    toolbar->setStatusTip(QStringLiteral("Show or hide the toolbar"));
    m_commands.insert(ID_VIEW_TOOLBAR, toolbar);
    QAction* status = addCommand(ID_VIEW_STATUS_BAR, "&Status Bar",
                                 "Show or hide the status bar\nToggle StatusBar", nullptr);
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
}

// The File, Edit and Save commands need a document; the toolbar's console buttons follow the
// active console's own commands.
void CMainFrame::updateCommandStates() {
    CSplitterView* console = activeConsole();
    for (int id : {ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_PRINT, ID_EDIT_UNDO,
                   ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_FIND, ID_WINDOW_CASCADE,
                   ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE, ID_NEXT_PANE, ID_PREV_PANE})
        commandAction(id)->setEnabled(console != nullptr);
    commandAction(ID_EDIT_UNDO)->setEnabled(false);
    for (const ConsoleButton& button : CONSOLE_BUTTONS) {
        QAction* own = console ? console->commandAction(button.id) : nullptr;
        commandAction(button.id)->setEnabled(own && own->isEnabled());
    }
    commandAction(consolecmd::ID_METER_OVERVIEW)
        ->setEnabled(console && console->family() == ModuleFamily::VM77);
}

void CMainFrame::rebuildMenus() {
    CSplitterView* console = activeConsole();
    m_menuConsole = console;
    m_menuId = console ? console->menuId() : IDR_MAINFRAME;
    QMenuBar* bar = menuBar();
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

QStringList CMainFrame::menuTitles() const {
    QStringList titles;
    for (QAction* action : menuBar()->actions())
        titles << action->text();
    return titles;
}

void CMainFrame::addFileMenu(bool consoleMenu) {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(commandAction(ID_FILE_NEW));
    file->addAction(commandAction(ID_FILE_OPEN));
    if (consoleMenu) {
        file->addAction(commandAction(ID_FILE_CLOSE));
        file->addAction(commandAction(ID_FILE_SAVE));
        file->addAction(commandAction(ID_FILE_SAVE_AS));
        file->addSeparator();
        file->addAction(commandAction(ID_FILE_PRINT));
    }
    file->addAction(commandAction(ID_FILE_PRINT_SETUP));
    addRecentFiles(file);
    file->addSeparator();
    file->addAction(commandAction(ID_APP_EXIT));
}

void CMainFrame::addRecentFiles(QMenu* file) {
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
        connect(entry, &QAction::triggered, this, [this, path] {
            QMetaObject::invokeMethod(
                this, [this, path] { m_documents->openDocumentFile(path); }, Qt::QueuedConnection);
        });
    }
}

void CMainFrame::addEditMenu() {
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(commandAction(ID_EDIT_UNDO));
    edit->addSeparator();
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE})
        edit->addAction(commandAction(id));
    edit->addSeparator();
    edit->addAction(commandAction(ID_EDIT_FIND));
}

void CMainFrame::addViewMenu() {
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(commandAction(ID_VIEW_TOOLBAR));
    view->addAction(commandAction(ID_VIEW_STATUS_BAR));
}

void CMainFrame::addConsoleMenus(CSplitterView* console) {
    QMenu* settings = menuBar()->addMenu(QStringLiteral("Settings"));
    for (int id : {consolecmd::ID_CHOOSE_PORT, consolecmd::ID_OPEN_PORT, consolecmd::ID_CLOSE_PORT,
                   consolecmd::ID_CLEAR_VIEW})
        settings->addAction(console->commandAction(id));
    if (QAction* parse = console->commandAction(consolecmd::ID_PARSE_RX)) {
        settings->addSeparator();
        settings->addAction(parse);
        settings->addAction(console->commandAction(consolecmd::ID_TEST_SEQUENCE));
        settings->addAction(commandAction(consolecmd::ID_METER_OVERVIEW));
    }
    settings->addSeparator();
    QMenu* options = settings->addMenu(QStringLiteral("Traffic options"));
    for (int id :
         {consolecmd::ID_SHOW_DISCARDED, consolecmd::ID_MILLISECONDS, consolecmd::ID_SIDE_BY_SIDE})
        options->addAction(console->commandAction(id));
    settings->addAction(console->commandAction(consolecmd::ID_RECONNECT));
    QMenu* command = menuBar()->addMenu(QStringLiteral("Command"));
    CControlTreeView* tree = console->tree();
    connect(command, &QMenu::aboutToShow, tree, &CControlTreeView::updateCommandActions);
    for (QAction* action : tree->commandActions()) {
        if (action->data().toInt() == 32783)
            command->addSeparator();
        command->addAction(action);
    }
}

void CMainFrame::addWindowMenu() {
    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    connect(window, &QMenu::aboutToShow, this, [this, window] { fillWindowMenu(window); });
    fillWindowMenu(window);
}

// Cascade, tile, and one entry per open console, the active one checked.
void CMainFrame::fillWindowMenu(QMenu* menu) {
    menu->clear();
    for (int id : {ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE})
        menu->addAction(commandAction(id));
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList();
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
        entry->setChecked(windows.at(i) == m_mdiArea->activeSubWindow());
        connect(entry, &QAction::triggered, this, [this, console] { activateConsole(console); });
    }
}

void CMainFrame::addHelpMenu() {
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(commandAction(ID_HELP_FINDER));
    help->addSeparator();
    help->addAction(commandAction(ID_APP_ABOUT));
}

} // namespace tovan
