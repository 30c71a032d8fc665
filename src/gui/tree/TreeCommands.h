#pragma once

namespace tovan::treecmd {

// Commands of the console's "Command" menu and of the tree's context menu; the tree view
// handles them all.
constexpr int ID_CUT_ITEM = 32776; // routed, no effect
constexpr int ID_PASTE_COMMAND = 32777;
constexpr int ID_REMOVE = 32778;
constexpr int ID_RENAME = 32779;
constexpr int ID_NEW_COMMAND = 32780;
constexpr int ID_COPY_COMMAND = 32781;
constexpr int ID_NEW_FOLDER = 32782;
constexpr int ID_INSERT_LIST = 32783; // routed, no effect

// The tree's context menu.
constexpr int IDR_CONTEXT_MENU = 137;

// Which menu asks whether a command is enabled: the menu bar follows the active view, the
// context menu enables everything but Copy and Paste.
enum class MenuKind { MenuBar, ContextMenu };

} // namespace tovan::treecmd
