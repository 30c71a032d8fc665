#include "core/console/CommandStates.h"

#include "core/console/ConsoleCommands.h"

namespace tovan::consolecmd {

bool isEnabled(int commandId, const ConsoleState& state, ModuleFamily family) {
    switch (commandId) {
    case ID_CHOOSE_PORT:
        return !state.chooseDisabled;
    case ID_OPEN_PORT:
        return !state.openDisabled;
    case ID_CLOSE_PORT:
        return !state.closeDisabled;
    case ID_CLEAR_VIEW:
    case ID_LOGGING:
    case ID_SHOW_DISCARDED:
    case ID_MILLISECONDS:
    case ID_SIDE_BY_SIDE:
    case ID_RECONNECT:
        return true;
    case ID_PARSE_RX:
    case ID_TEST_SEQUENCE:
        return family == ModuleFamily::VM77;
    case ID_CUT_TREE_ITEM:
    case ID_PASTE_COMMAND:
    case ID_COPY_COMMAND:
        return false;
    default:
        return false;
    }
}

bool isChecked(int commandId, const ConsoleState& state) {
    switch (commandId) {
    case ID_PARSE_RX:
        return state.parseRx;
    case ID_SHOW_DISCARDED:
        return state.showDiscarded;
    case ID_MILLISECONDS:
        return state.milliseconds;
    case ID_SIDE_BY_SIDE:
        return state.sideBySide;
    case ID_RECONNECT:
        return state.reconnect;
    case ID_TEST_SEQUENCE:
        return state.testSequenceRunning;
    default:
        return false;
    }
}

} // namespace tovan::consolecmd
