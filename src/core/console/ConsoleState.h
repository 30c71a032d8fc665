#pragma once

#include "core/serial/PortSettings.h"
#include "core/serial/SerialChannel.h"

#include <cstdint>
#include <string>

namespace tovan {

// What a console remembers between messages (logging has its own component).
struct ConsoleState {
    // What the status-bar double-click left to do once the click has been handled.
    enum PendingAction : std::uint8_t { NONE = 0, LOGGING_SWITCH = 1, LOG_FILE = 2, PORT = 3 };

    PortSettings port;
    // The three port commands' enable states: they always describe one fact, whether the
    // console holds an open port.
    bool chooseDisabled = false;
    bool openDisabled = false;
    bool closeDisabled = true;
    std::uint8_t slot = SerialChannel::NO_PORT;
    bool periodicActive = false;
    std::uint8_t pendingStatusAction = NONE;
    std::string commandListPath;
    // Traffic options, off until the user switches them on; the log follows what is shown.
    bool showDiscarded = false;
    bool milliseconds = false;
    bool sideBySide = false;
    // Waits for a lost port to come back and opens it again.
    bool reconnect = false;
    // Second family only.
    bool parseRx = false;
    bool testSequenceRunning = false;
};

} // namespace tovan
