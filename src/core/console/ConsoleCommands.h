#pragma once

namespace tovan::consolecmd {

// The console's own commands, by the ids the menus and the toolbar use.
constexpr int ID_CHOOSE_PORT = 32771;   // "Choose COM-Port"
constexpr int ID_OPEN_PORT = 32772;     // "Open COM-Port"
constexpr int ID_CLOSE_PORT = 32773;    // "Close COM-Port"
constexpr int ID_CLEAR_VIEW = 32792;    // "Clear view"
constexpr int ID_LOGGING = 32795;       // communication logging on/off (toolbar)
constexpr int ID_PARSE_RX = 32796;      // "Parse RX data", second family
constexpr int ID_TEST_SEQUENCE = 32797; // "Testsequence", second family

// Traffic options (a submenu of "Settings"), all off until switched on: discarded bytes shown
// with their reason, times to the millisecond with the time since the previous frame, the
// bytes' characters beside their hex text. And what a console does when its port goes away.
constexpr int ID_SHOW_DISCARDED = 32798;
constexpr int ID_MILLISECONDS = 32799;
constexpr int ID_SIDE_BY_SIDE = 32800;
constexpr int ID_RECONNECT = 32801;
// The meter overview of a second-family console.
constexpr int ID_METER_OVERVIEW = 32802;
// The key dialog of the meters that encrypt, shown from a second-family console's menu; the
// keys it saves go to every second-family console.
constexpr int ID_METER_KEYS = 32810;
// Test plans on the active console (the "Command" menu): a plan file, a plan made from the
// selected folder of the tree, and the results pane.
constexpr int ID_RUN_PLAN = 32820;
constexpr int ID_RUN_FOLDER_PLAN = 32821;
constexpr int ID_PLAN_RESULTS = 32822;

// Tree commands that the console disables whenever the tree does not answer for itself.
constexpr int ID_CUT_TREE_ITEM = 32776;
constexpr int ID_PASTE_COMMAND = 32777;
constexpr int ID_COPY_COMMAND = 32781;

} // namespace tovan::consolecmd
