#pragma once

#include <QHash>
#include <QString>

class QAction;
class QToolBar;

namespace tovan {

class CMainFrame;
class CSplitterView;

// The main window's commands as actions, each by its id (object name and data), and the
// toolbar that offers some of them. The actions belong to the frame, so their shortcuts work
// wherever the focus is in it; the console buttons act on the active console.
class MainFrameActions {
public:
    explicit MainFrameActions(CMainFrame& frame);

    QAction* action(int commandId) const { return m_actions.value(commandId, nullptr); }
    // The "Standard" toolbar, added to the frame.
    QToolBar* createToolBar();
    // The document commands need a console; the toolbar's console buttons follow the active
    // console's own commands.
    void updateStates(CSplitterView* console);

private:
    using Handler = void (CMainFrame::*)();

    QAction* add(int id, const QString& text, const QString& prompt, Handler handler);
    void addFileCommands();
    void addEditCommands();
    void addWindowCommands();
    void addHelpCommands();
    void addConsoleButtons();
    void addPlanCommands();
    void addStatusBarSwitch();
    void setPictures();

    CMainFrame& m_frame;
    QHash<int, QAction*> m_actions;
};

} // namespace tovan
