#pragma once

#include "core/console/ConsoleHost.h"
#include "core/console/ModuleConsole.h"
#include "core/hub/EventLoop.h"

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace tovan::test {

// A module console without windows: its panes, status line and dialogs record what the console
// asks of them, and its thread is whichever thread runs `loop` (usually the test's own).
class ConsoleHarness : public ConsolePanes, public StatusLine, public ConsoleDialogs {
public:
    struct Line {
        std::string text;
        Colour colour;
        bool operator==(const Line& other) const {
            return text == other.text && colour == other.colour;
        }
        friend std::ostream& operator<<(std::ostream& out, const Line& line) {
            return out << '"' << line.text << "\" in " << std::hex << line.colour << std::dec;
        }
    };
    struct Shown {
        std::string text;
        std::string caption;
    };

    explicit ConsoleHarness(ModuleFamily family, SerialChannel* channel = nullptr);
    ~ConsoleHarness() override;

    ModuleConsole& console() { return *m_console; }
    // Runs the loop until `done` holds or `timeout` passed; returns `done()`.
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The traffic window's AddLine calls since the last call, times written as "T".
    std::vector<Line> takeLines();
    // Destroys the console now (as closing its window does).
    void destroyConsole() { m_console.reset(); }

    // ConsolePanes
    void layoutFields() override { ++layoutCalls; }
    void loadFrameText(std::string_view text) override { loaded.emplace_back(text); }
    void setPortOpen(bool open) override { portOpenShown = open; }
    void setSelectedData(std::uint32_t length, const std::uint8_t* data) override;
    void resendSelection() override { ++resends; }
    bool saveList(const std::string& path) override;
    bool reloadList(const std::string& path) override;
    void addLine(std::string_view text, Colour colour) override;
    void clearOutput() override;
    // StatusLine
    void setPaneText(int pane, std::string_view text) override;
    void showMessage(std::string_view text) override { statusMessages.emplace_back(text); }
    // ConsoleDialogs
    void showError(const std::string& text, const std::string& caption) override;
    std::string chooseLogFile() override;
    bool editPortSettings(PortSettings& settings, std::string& portText,
                          std::string& baudText) override;

    EventLoop loop;
    std::vector<Line> lines; // everything added since the last clear, in call order
    int clears = 0;
    int layoutCalls = 0;
    int resends = 0;
    bool portOpenShown = false;
    std::vector<std::string> loaded;
    std::vector<std::string> savedData;
    std::array<std::string, 5> panes;
    std::vector<std::string> statusMessages;
    std::vector<Shown> errors;
    std::deque<std::string> logFileAnswers; // empty: the dialog is cancelled
    // The port the settings dialog chooses; empty: the dialog is cancelled.
    std::string portAnswer;
    int portDialogs = 0;
    // What saveList writes after the header; false makes it fail.
    std::string listRecords = "#\r\n\"item\"\r\nFE 00 01 02 03\r\n";
    bool listWritable = true;

private:
    std::unique_ptr<ModuleConsole> m_console;
    std::size_t m_taken = 0;
};

// A frame's entry text with its time written as "T".
std::string withoutTime(std::string text);

} // namespace tovan::test
