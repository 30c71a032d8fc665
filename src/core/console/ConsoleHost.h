#pragma once

#include "core/serial/PortSettings.h"
#include "core/textwnd/TextPos.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tovan {

// What a console calls on its four panes: the composer, the command tree and the traffic
// window. The window system implements it over its widgets; tests record the calls.
class ConsolePanes {
public:
    virtual ~ConsolePanes() = default;

    // Composer.
    virtual void layoutFields() = 0;
    virtual void loadFrameText(std::string_view text) = 0;
    virtual void setPortOpen(bool open) = 0;

    // Command tree.
    virtual void setSelectedData(std::uint32_t length, const std::uint8_t* data) = 0;
    virtual void resendSelection() = 0;
    // Writes the tree after the header that `path` already holds; false when it failed.
    virtual bool saveList(const std::string& path) = 0;
    virtual bool reloadList(const std::string& path) = 0;

    // Traffic window.
    virtual void addLine(std::string_view text, Colour colour) = 0;
    // Empties the window and repaints it at once.
    virtual void clearOutput() = 0;

    // The console waits for its lost port to come back: call ModuleConsole::retryReconnect
    // now and then (twice a second) while it does.
    virtual void waitForPort(bool waiting) { (void)waiting; }
};

// The console's five-pane status line.
class StatusLine {
public:
    enum Pane { PORT_STATE = 0, LOGGING_STATE = 1, LOG_FILE = 2, PORT_NAME = 3, BAUD = 4 };

    virtual ~StatusLine() = default;
    virtual void setPaneText(int pane, std::string_view text) = 0;
    // A passing message where the user looks for news (the main window's status bar).
    virtual void showMessage(std::string_view text) { (void)text; }
};

// The modal dialogs a console opens.
class ConsoleDialogs {
public:
    virtual ~ConsoleDialogs() = default;

    // A message box with the error icon and an OK button.
    virtual void showError(const std::string& text, const std::string& caption) = 0;
    // The console's port went away: "Communication port NAME lost." Windows that lose several
    // ports at once (a simulator or a hub gone) may tell them in one box.
    virtual void portLost(const std::string& portName) {
        showError("Communication port " + portName + " lost.", "Communication Error");
    }
    // The save dialog for a log file ("txt", overwrite prompt); the full path, or empty.
    virtual std::string chooseLogFile() = 0;
    // The COM settings dialog over `settings`; on OK also the texts for the port and baud
    // panes. False when cancelled.
    virtual bool editPortSettings(PortSettings& settings, std::string& portText,
                                  std::string& baudText) = 0;
};

// Runs a task later on the console's own thread; callable from any thread.
using PostToConsole = std::function<void(std::function<void()>)>;

// Everything a console reaches outside itself: its panes, its status line, its dialogs and
// its own thread.
struct ConsoleHost {
    ConsolePanes& panes;
    StatusLine& status;
    ConsoleDialogs& dialogs;
    PostToConsole post;
};

} // namespace tovan
