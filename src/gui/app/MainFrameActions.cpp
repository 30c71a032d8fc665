#include "gui/app/MainFrameActions.h"

#include "core/console/ConsoleCommands.h"
#include "gui/app/AboutText.h"
#include "gui/app/AppCommands.h"
#include "gui/app/CMainFrame.h"
#include "gui/console/CSplitterView.h"

#include <QAction>
#include <QStatusBar>
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

MainFrameActions::MainFrameActions(CMainFrame& frame) : m_frame(frame) {
    addFileCommands();
    addEditCommands();
    addWindowCommands();
    addHelpCommands();
    addConsoleButtons();
    addPlanCommands();
    setPictures();
}

QAction* MainFrameActions::add(int id, const QString& text, const QString& prompt,
                               Handler handler) {
    auto* action = new QAction(text, &m_frame);
    action->setObjectName(QString::number(id));
    action->setData(id);
    // The prompt's second part, after a line feed, is the tool tip.
    action->setStatusTip(prompt.section('\n', 0, 0));
    if (prompt.contains('\n'))
        action->setToolTip(prompt.section('\n', 1));
    if (handler)
        QObject::connect(action, &QAction::triggered, &m_frame, handler);
    m_actions.insert(id, action);
    m_frame.addAction(action); // the accelerators work wherever the focus is in the window
    return action;
}

void MainFrameActions::addFileCommands() {
    add(ID_FILE_NEW, "&New", "Create a new document\nNew", &CMainFrame::fileNew)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    add(ID_FILE_OPEN, "&Open...", "Open an existing document\nOpen", &CMainFrame::fileOpen)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    add(ID_FILE_CLOSE, "&Close", "Close the active document\nClose", &CMainFrame::fileClose);
    add(ID_FILE_SAVE, "&Save", "Save the active document\nSave", &CMainFrame::fileSave)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    add(ID_FILE_SAVE_AS, "Save &As...", "Save the active document with a new name\nSave As",
        &CMainFrame::fileSaveAs);
    add(ID_FILE_PRINT, "&Print...", "Print the active document\nPrint", &CMainFrame::filePrint)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    add(ID_FILE_PRINT_SETUP, "P&rint Setup...",
        "Change the printer and printing options\nPrint Setup", &CMainFrame::filePrintSetup);
    QAction* exit =
        add(ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents\nExit", nullptr);
    QObject::connect(exit, &QAction::triggered, &m_frame, &QWidget::close);
}

void MainFrameActions::addEditCommands() {
    add(ID_EDIT_UNDO, "&Undo", "Undo the last action\nUndo", &CMainFrame::editUndo)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    add(ID_EDIT_CUT, "Cu&t", "Cut the selection and put it on the Clipboard\nCut",
        &CMainFrame::editCut)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    add(ID_EDIT_COPY, "&Copy", "Copy the selection and put it on the Clipboard\nCopy",
        &CMainFrame::editCopy)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    add(ID_EDIT_PASTE, "&Paste", "Insert Clipboard contents\nPaste", &CMainFrame::editPaste)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    add(ID_EDIT_FIND, "&Find...", "Find or filter the traffic of the active console\nFind",
        &CMainFrame::editFind)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    add(ID_NEXT_PANE, "Next Pane", "Switch to the next window pane\nNext Pane",
        &CMainFrame::nextPane)
        ->setShortcut(QKeySequence(Qt::Key_F6));
    add(ID_PREV_PANE, "Previous Pane", "Switch back to the previous window pane\nPrevious Pane",
        &CMainFrame::previousPane)
        ->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
}

void MainFrameActions::addWindowCommands() {
    add(ID_WINDOW_CASCADE, "&Cascade", "Arrange windows so they overlap\nCascade Windows",
        &CMainFrame::windowCascade);
    add(ID_WINDOW_TILE_HORZ, "&Tile", "Arrange windows as non-overlapping tiles\nTile Windows",
        &CMainFrame::windowTile);
    add(ID_WINDOW_ARRANGE, "&Arrange Icons",
        "Arrange icons at the bottom of the window\nArrange Icons", &CMainFrame::windowTile);
}

// Help needs a help file the workbench does not have; it and context help do nothing.
void MainFrameActions::addHelpCommands() {
    add(ID_HELP_FINDER, "&Help Topics", "List Help topics\nHelp Topics", &CMainFrame::noEffect);
    add(ID_HELP, "Help", "Display help for current task or command\nHelp", &CMainFrame::noEffect)
        ->setShortcut(QKeySequence(Qt::Key_F1));
    add(ID_CONTEXT_HELP, "Context Help",
        "Display help for clicked on buttons, menus and windows\nHelp", &CMainFrame::noEffect)
        ->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    QAction* about =
        add(ID_APP_ABOUT, "&About TOVAN Commander...",
            "Display program information, version number and copyright\nAbout", nullptr);
    QObject::connect(about, &QAction::triggered, &m_frame, [this] { showAbout(&m_frame); });
}

// The console commands on the toolbar act on the active console.
void MainFrameActions::addConsoleButtons() {
    for (const ConsoleButton& button : CONSOLE_BUTTONS) {
        QAction* action = add(button.id, QString::fromLatin1(button.toolTip), QString(), nullptr);
        action->setIcon(picture("", button.picture));
        QObject::connect(action, &QAction::triggered, &m_frame, [this, id = button.id] {
            if (CSplitterView* console = m_frame.activeConsole())
                if (QAction* own = console->commandAction(id))
                    own->trigger();
        });
    }
    QAction* meters = add(consolecmd::ID_METER_OVERVIEW, "Meter overview",
                          "Show every meter the VM77 module has heard\nMeter overview", nullptr);
    meters->setCheckable(true);
    meters->setIcon(picture("", "meters"));
    add(consolecmd::ID_METER_KEYS, "Meter keys...",
        "Add or remove the keys that decrypt the telegrams of meters\nMeter keys",
        &CMainFrame::editMeterKeys);
}

// What they do is MainFramePlans' part: they act on the active console.
void MainFrameActions::addPlanCommands() {
    add(consolecmd::ID_RUN_PLAN, "Run test plan...",
        "Run a test plan from a file on the console's port\nRun test plan", nullptr);
    add(consolecmd::ID_RUN_FOLDER_PLAN, "Run plan of this folder",
        "Send every command of the selected folder; each must be answered within 500 ms\n"
        "Run plan of this folder",
        nullptr);
    add(consolecmd::ID_PLAN_RESULTS, "Test plan results",
        "Show the results of the console's test plan\nTest plan results", nullptr)
        ->setCheckable(true);
}

void MainFrameActions::setPictures() {
    action(ID_FILE_NEW)->setIcon(picture("document-new", "new"));
    action(ID_FILE_OPEN)->setIcon(picture("document-open", "open"));
    action(ID_FILE_SAVE)->setIcon(picture("document-save", "save"));
    action(ID_EDIT_CUT)->setIcon(picture("edit-cut", "cut"));
    action(ID_EDIT_COPY)->setIcon(picture("edit-copy", "copy"));
    action(ID_EDIT_PASTE)->setIcon(picture("edit-paste", "paste"));
    action(ID_FILE_PRINT)->setIcon(picture("document-print", "print"));
    action(ID_APP_ABOUT)->setIcon(picture("help-about", "about"));
    action(ID_CONTEXT_HELP)->setIcon(picture("help-contextual", "help"));
}

QToolBar* MainFrameActions::createToolBar() {
    auto* toolBar = new QToolBar(QStringLiteral("Standard"), &m_frame);
    toolBar->setObjectName(QString::number(ID_VIEW_TOOLBAR));
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    toolBar->setMovable(true);
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
            toolBar->addSeparator();
        else
            toolBar->addAction(action(id));
    }
    m_frame.addToolBar(Qt::TopToolBarArea, toolBar);

    QAction* shown = toolBar->toggleViewAction();
    shown->setText(QStringLiteral("&Toolbar"));
    shown->setStatusTip(QStringLiteral("Show or hide the toolbar"));
    m_actions.insert(ID_VIEW_TOOLBAR, shown);
    addStatusBarSwitch();
    return toolBar;
}

void MainFrameActions::addStatusBarSwitch() {
    QAction* status = add(ID_VIEW_STATUS_BAR, "&Status Bar",
                          "Show or hide the status bar\nToggle StatusBar", nullptr);
    status->setCheckable(true);
    status->setChecked(true);
    QObject::connect(status, &QAction::toggled, &m_frame,
                     [this](bool on) { m_frame.statusBar()->setVisible(on); });
}

void MainFrameActions::updateStates(CSplitterView* console) {
    for (int id : {ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_PRINT, ID_EDIT_UNDO,
                   ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_FIND, ID_WINDOW_CASCADE,
                   ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE, ID_NEXT_PANE, ID_PREV_PANE})
        action(id)->setEnabled(console != nullptr);
    action(ID_EDIT_UNDO)->setEnabled(false);
    for (const ConsoleButton& button : CONSOLE_BUTTONS) {
        QAction* own = console ? console->commandAction(button.id) : nullptr;
        action(button.id)->setEnabled(own && own->isEnabled());
    }
    action(consolecmd::ID_METER_OVERVIEW)
        ->setEnabled(console && console->family() == ModuleFamily::VM77);
    for (int id : {consolecmd::ID_RUN_PLAN, consolecmd::ID_RUN_FOLDER_PLAN})
        action(id)->setEnabled(console != nullptr);
}

} // namespace tovan
