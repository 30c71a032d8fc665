#pragma once

#include "core/console/ConsoleHost.h"
#include "core/console/ModuleConsole.h"
#include "core/frames/ModuleFamily.h"
#include "gui/console/ConsoleCommandActions.h"

#include <QList>
#include <QMdiSubWindow>
#include <QTimer>

#include <functional>
#include <memory>

class QAction;
class QSplitter;

namespace tovan {

class CControlTreeView;
class CMessageViewDlg;
class CPacketViewDlg;
class ColorEditWnd;
class ConsoleStatusLine;
class TrafficFindBar;

// A module console window: an MDI child with the command tree over the logo pane on the left,
// the traffic window over the family's composer on the right, and the five-pane status line
// along the top. The behaviour lives in ModuleConsole; this window builds the panes, carries
// out what the console asks of them, and turns the user's commands into calls on it.
class CSplitterView : public QMdiSubWindow, private ConsolePanes, private ConsoleDialogs {
    Q_OBJECT
public:
    // Ids of the panes' controls, carried as their object names.
    static constexpr int OUTPUT_WINDOW_ID = 1100;
    static constexpr int COMPOSER_ID = 1002;

    ~CSplitterView() override;

    ModuleConsole& console() { return *m_console; }
    const ModuleConsole& console() const { return *m_console; }
    ModuleFamily family() const { return m_family; }
    // The resource id of the family's menu and document template: 130 or 138.
    virtual int menuId() const = 0;

    CControlTreeView* tree() const { return m_tree; }
    ColorEditWnd* outputWindow() const { return m_output; }
    TrafficFindBar* findBar() const { return m_findBar; }
    CPacketViewDlg* composer() const { return m_composer; }
    CMessageViewDlg* logoPane() const { return m_logo; }
    ConsoleStatusLine* statusLine() const { return m_status; }
    QSplitter* mainSplitter() const { return m_main; }
    QSplitter* leftSplitter() const { return m_left; }
    QSplitter* rightSplitter() const { return m_right; }

    // The console's commands (ids as object names and data, prompts as status tips), enabled
    // and checked as the console's state says.
    const QList<QAction*>& commandActions() const { return m_actions.all(); }
    QAction* commandAction(int commandId) const { return m_actions.action(commandId); }
    void updateCommandActions();

    bool OpenCommandList(const std::string& path) { return m_console->OpenCommandList(path); }
    bool SaveCommandList(const std::string& path);

    // Asked before the window closes (the document's save prompt); false keeps it open.
    void setCloseGuard(std::function<bool()> guard) { m_closeGuard = std::move(guard); }

Q_SIGNALS:
    // The enabled or checked state of a command may have changed.
    void commandStatesChanged();
    // The meter table changed (second family).
    void metersChanged();

protected:
    CSplitterView(ModuleFamily family, QWidget* parent);

    // Builds the panes in their order; called by the family's constructor.
    void OnCreateClient();
    virtual CPacketViewDlg* createComposer(QWidget* parent) = 0;
    virtual QString rootLabel() const = 0;

    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ConsolePanes
    void layoutFields() override;
    void loadFrameText(std::string_view text) override;
    void setPortOpen(bool open) override;
    void setSelectedData(std::uint32_t length, const std::uint8_t* data) override;
    void resendSelection() override;
    bool saveList(const std::string& path) override;
    bool reloadList(const std::string& path) override;
    void addLine(std::string_view text, Colour colour) override;
    void clearOutput() override;
    void waitForPort(bool waiting) override;
    // ConsoleDialogs
    void showError(const std::string& text, const std::string& caption) override;
    void portLost(const std::string& portName) override;
    std::string chooseLogFile() override;
    bool editPortSettings(PortSettings& settings, std::string& portText,
                          std::string& baudText) override;
    void startOnRememberedPort();

    void createTreePane();
    void createOutputWindow();
    void applyInitialSizes();
    void applyResizeSizes(int width, int height);
    QSize clientAreaSize() const;
    void postToConsole(std::function<void()> task);

    ModuleFamily m_family;
    ConsoleStatusLine* m_status = nullptr;
    std::unique_ptr<ModuleConsole> m_console;
    QWidget* m_frame = nullptr;
    QSplitter* m_main = nullptr;
    QSplitter* m_left = nullptr;
    QSplitter* m_right = nullptr;
    CControlTreeView* m_tree = nullptr;
    CMessageViewDlg* m_logo = nullptr;
    ColorEditWnd* m_output = nullptr;
    TrafficFindBar* m_findBar = nullptr;
    CPacketViewDlg* m_composer = nullptr;
    ConsoleCommandActions m_actions;
    std::function<bool()> m_closeGuard;
    QTimer m_reconnectTimer;
    bool m_closed = false;
};

} // namespace tovan
