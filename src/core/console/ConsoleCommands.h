#pragma once

namespace tovan::consolecmd {

// The console's own commands, by the ids the menus and the toolbar use.
constexpr int ID_CHOOSE_PORT = 32771;     // "Choose COM-Port"
constexpr int ID_OPEN_PORT = 32772;       // "Open COM-Port"
constexpr int ID_CLOSE_PORT = 32773;      // "Close COM-Port"
constexpr int ID_CLEAR_VIEW = 32792;      // "Clear view"
constexpr int ID_LOGGING = 32795;         // communication logging on/off (toolbar)
constexpr int ID_PARSE_RX = 32796;        // "Parse RX data", second family
constexpr int ID_TEST_SEQUENCE = 32797;   // "Testsequence", second family

// Tree commands that the console disables whenever the tree does not answer for itself.
constexpr int ID_CUT_TREE_ITEM = 32776;
constexpr int ID_PASTE_COMMAND = 32777;
constexpr int ID_COPY_COMMAND = 32781;

} // namespace tovan::consolecmd
