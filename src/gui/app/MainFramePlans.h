#pragma once

class QDockWidget;

namespace tovan {

class CMainFrame;
class CSplitterView;
class PlanResultsPane;

// The main window's test plans: "Run test plan..." and "Run plan of this folder" of the Command
// menu run on the active console, and the results pane, docked at the bottom, follows the active
// console. The pane shows itself when a plan starts; "Test plan results" shows and hides it.
class MainFramePlans {
public:
    explicit MainFramePlans(CMainFrame& frame);

    void setConsole(CSplitterView* console);
    PlanResultsPane* pane() const { return m_pane; }
    QDockWidget* dock() const { return m_dock; }

private:
    void run(bool folder);

    CMainFrame& m_frame;
    PlanResultsPane* m_pane = nullptr;
    QDockWidget* m_dock = nullptr;
};

} // namespace tovan
