#pragma once

#include "gui/app/ConsoleWindowHost.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QDockWidget;
class QMdiArea;
class QMdiSubWindow;
class QPrinter;
class QToolBar;

namespace tovan {

class CClientBackgroundWnd;
class CDocManagerEx;
class CSplitterView;
class LockIndicators;
class MainFrameActions;
class MainFrameMenus;
class MainFramePlans;
class MeterKeys;
class MeterOverview;

// The application's main window: the consoles as MDI children over a white area with the
// workbench's picture, the toolbar, the status bar with the lock indicators, and the menus of
// the active console (or the short menu while none is open). Its commands are built by
// MainFrameActions and its menus by MainFrameMenus; what each command does is here.
class CMainFrame : public QMainWindow, public ConsoleWindowHost {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    void setDocManager(CDocManagerEx* documents);
    CDocManagerEx* docManager() const { return m_documents; }

    QMdiArea* mdiArea() const { return m_mdiArea; }
    QToolBar* toolBar() const { return m_toolBar; }
    MeterOverview* meterOverview() const { return m_meters; }
    MainFramePlans& plans() const { return *m_plans; }
    LockIndicators* lockIndicators() const { return m_locks; }
    // ConsoleWindowHost
    void addConsole(CSplitterView* console) override;
    void activateConsole(CSplitterView* console) override;
    QWidget* dialogParent() override { return this; }
    // The console the user works in, or null.
    CSplitterView* activeConsole() const;

    // Every command by its id (object name and data), for the menus, toolbar and tests.
    QAction* commandAction(int commandId) const;
    // The menu bar's entries as shown now ("&File", "&View", ...).
    QStringList menuTitles() const;
    int currentMenuId() const { return m_menuId; }

    // Prints the active console's traffic text through the print dialog.
    void printActiveConsole();

    // The frame's own commands.
    void fileNew();
    void fileOpen();
    void fileClose();
    void fileSave();
    void fileSaveAs();
    void filePrint();
    void filePrintSetup();
    void editUndo();
    void editCut();
    void editCopy();
    void editPaste();
    void editFind();
    void nextPane();
    void previousPane();
    void windowCascade();
    void windowTile();
    // Settings > Meter keys...: the key dialog; the keys it saves go to every VM77 console.
    void editMeterKeys();
    void applyMeterKeys(const MeterKeys& keys);
    void noEffect() {}

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createStatusBar();
    void createMeterOverview();
    void rebuildMenus();
    void onConsoleActivated(QMdiSubWindow* window);
    void followActiveFamily();
    void updateCommandStates();
    void updateCaption();

    QMdiArea* m_mdiArea = nullptr;
    CClientBackgroundWnd* m_background = nullptr;
    QToolBar* m_toolBar = nullptr;
    LockIndicators* m_locks = nullptr;
    MeterOverview* m_meters = nullptr;
    QDockWidget* m_meterDock = nullptr;
    bool m_meterDockAside = false; // hidden while a VX31 console is active
    CDocManagerEx* m_documents = nullptr;
    std::unique_ptr<MainFrameActions> m_actions;
    std::unique_ptr<MainFrameMenus> m_menus;
    std::unique_ptr<MainFramePlans> m_plans;
    QPointer<CSplitterView> m_menuConsole;
    int m_menuId = 0;
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace tovan
