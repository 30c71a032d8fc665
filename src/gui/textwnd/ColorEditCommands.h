#pragma once

namespace tovan::coloredit {

// Notification codes the traffic window reports to its owner.
constexpr int EN_SETFOCUS = 0x0100;
constexpr int EN_KILLFOCUS = 0x0200;
constexpr int EN_CHANGE = 0x0300;

// The edit commands of the window's context menu and accelerators.
constexpr int ID_EDIT_COPY = 57634;
constexpr int ID_EDIT_CUT = 57635;
constexpr int ID_EDIT_PASTE = 57637;
constexpr int ID_EDIT_SELECT_ALL = 57642;
constexpr int ID_EDIT_UNDO = 57643;
constexpr int ID_EDIT_REDO = 57644;

// Resource ids: the context menu and the accelerator table (Ctrl+C, Ctrl+V, Ctrl+Y).
constexpr int IDR_CONTEXT_MENU = 133;
constexpr int IDR_ACCELERATORS = 130;

// The control id the consoles give their traffic window.
constexpr int IDC_TRAFFIC_WINDOW = 1100;

} // namespace tovan::coloredit
