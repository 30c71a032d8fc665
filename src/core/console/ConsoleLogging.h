#pragma once

#include "core/console/CommunicationLog.h"
#include "core/console/ConsoleHost.h"

#include <memory>
#include <string>
#include <string_view>

namespace tovan {

// A console's communication log: the switch, the chosen file and their panes of the status
// line. Runs on the console's thread.
//
// A file that cannot be created, or a write that fails later (disk full, I/O error), leaves
// logging off and says so in a message box naming the file and the reason; what the window
// shows is not affected.
class ConsoleLogging {
public:
    ConsoleLogging(StatusLine& status, ConsoleDialogs& dialogs, PostToConsole post);
    ~ConsoleLogging();
    ConsoleLogging(const ConsoleLogging&) = delete;
    ConsoleLogging& operator=(const ConsoleLogging&) = delete;

    // The logging command: off when on (the file stays open); on again with the same file;
    // with no file yet, asks for one first.
    void toggleLogging();
    // On only when a file was chosen.
    void setLogging(bool on);
    // Asks for a new file and logs into it; nothing while logging is on.
    void chooseLogFile();
    // Appends `text` to the file while logging is on.
    void writeLog(std::string_view text);
    // Writes what is collected and closes the file (the console is closing); a failure is
    // told at once.
    void closeFile();

    bool loggingOn() const { return m_on; }
    const std::string& path() const { return m_path; }

    static constexpr const char* CAPTION = "Communication Error";

private:
    bool openFile(const std::string& path);
    void scheduleFlush();
    void flush();
    void writeFailed(int error);
    std::string writeFailureText(int error) const;

    StatusLine& m_status;
    ConsoleDialogs& m_dialogs;
    PostToConsole m_post;
    CommunicationLog m_log;
    std::string m_path;
    bool m_on = false;
    bool m_flushScheduled = false;
    // Tasks posted to the console's thread check it, so none runs after the console is gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace tovan
