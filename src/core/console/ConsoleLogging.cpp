#include "core/console/ConsoleLogging.h"

#include <cstring>

namespace tovan {

ConsoleLogging::ConsoleLogging(StatusLine& status, ConsoleDialogs& dialogs, PostToConsole post)
    : m_status(status), m_dialogs(dialogs), m_post(std::move(post)) {}

ConsoleLogging::~ConsoleLogging() {
    closeFile();
}

void ConsoleLogging::setLogging(bool on) {
    if (on && !m_path.empty()) {
        m_status.setPaneText(StatusLine::LOGGING_STATE, "Logging to: ");
        m_on = true;
    } else {
        flush(); // while still on, so that a failure is told
        m_status.setPaneText(StatusLine::LOGGING_STATE, "Logging disabled");
        m_on = false;
    }
}

void ConsoleLogging::toggleLogging() {
    if (m_on) {
        setLogging(false);
        return;
    }
    if (m_path.empty()) {
        const std::string chosen = m_dialogs.chooseLogFile();
        if (chosen.empty() || !openFile(chosen))
            return;
        m_path = chosen;
        m_status.setPaneText(StatusLine::LOG_FILE, m_path);
    }
    setLogging(true);
}

void ConsoleLogging::chooseLogFile() {
    if (m_on)
        return;
    const std::string chosen = m_dialogs.chooseLogFile();
    if (chosen.empty())
        return;
    closeFile();
    m_path.clear();
    if (!openFile(chosen)) {
        m_status.setPaneText(StatusLine::LOG_FILE, "");
        return;
    }
    m_path = chosen;
    m_status.setPaneText(StatusLine::LOG_FILE, m_path);
    setLogging(true);
}

bool ConsoleLogging::openFile(const std::string& path) {
    if (const int error = m_log.open(path)) {
        m_dialogs.showError("Unable to create the log file " + path + ": " + std::strerror(error) +
                                ". Logging stays disabled.",
                            CAPTION);
        return false;
    }
    return true;
}

void ConsoleLogging::writeLog(std::string_view text) {
    if (!m_on)
        return;
    if (const int error = m_log.write(text)) {
        writeFailed(error);
        return;
    }
    scheduleFlush();
}

// What was collected goes to the file once the console has handled what is waiting for it:
// one write per burst of frames, and the file is current as soon as the console is idle.
void ConsoleLogging::scheduleFlush() {
    if (m_flushScheduled || !m_log.hasUnwritten())
        return;
    m_flushScheduled = true;
    m_post([this, alive = std::weak_ptr<bool>(m_alive)] {
        if (alive.expired())
            return;
        m_flushScheduled = false;
        flush();
    });
}

void ConsoleLogging::flush() {
    if (const int error = m_log.flush())
        writeFailed(error);
}

// Logging goes off, so the user is told once; the message waits until the console is back
// on its own loop, outside the delivery of a frame.
void ConsoleLogging::writeFailed(int error) {
    const bool wasOn = m_on;
    m_status.setPaneText(StatusLine::LOGGING_STATE, "Logging disabled");
    m_on = false;
    if (!wasOn)
        return;
    const std::string text = writeFailureText(error);
    m_post([this, text, alive = std::weak_ptr<bool>(m_alive)] {
        if (!alive.expired())
            m_dialogs.showError(text, CAPTION);
    });
}

std::string ConsoleLogging::writeFailureText(int error) const {
    return "Writing the log file " + m_path + " failed: " + std::strerror(error) +
           ". Logging has been disabled.";
}

// The end of the log is written now; when it cannot be, the user is told at once (the console
// may be closing, so nothing waits for its loop).
void ConsoleLogging::closeFile() {
    if (const int error = m_log.close()) {
        m_status.setPaneText(StatusLine::LOGGING_STATE, "Logging disabled");
        m_on = false;
        m_dialogs.showError(writeFailureText(error), CAPTION);
    }
}

} // namespace tovan
