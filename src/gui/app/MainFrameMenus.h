#pragma once

#include <QStringList>

class QMenu;

namespace tovan {

class CDocManagerEx;
class CMainFrame;
class CSplitterView;
class MainFrameActions;

// The main window's menu bar, which follows the active console: the short menu while none is
// open, the console's own menus otherwise (its settings, traffic options and tree commands).
class MainFrameMenus {
public:
    MainFrameMenus(CMainFrame& frame, const MainFrameActions& actions);

    void setDocuments(CDocManagerEx* documents) { m_documents = documents; }
    // Builds the menu bar anew for `console` (none: the short menu).
    void rebuild(CSplitterView* console);
    // The menu bar's entries as shown now ("&File", "&View", ...).
    QStringList titles() const;

private:
    void addFileMenu(bool consoleMenu);
    void addRecentFiles(QMenu* file);
    void addEditMenu();
    void addViewMenu();
    void addConsoleMenus(CSplitterView* console);
    void addSettingsMenu(CSplitterView* console);
    void addCommandMenu(CSplitterView* console);
    void addWindowMenu();
    void fillWindowMenu(QMenu* menu);
    void addHelpMenu();

    CMainFrame& m_frame;
    const MainFrameActions& m_actions;
    CDocManagerEx* m_documents = nullptr;
};

} // namespace tovan
