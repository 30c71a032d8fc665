#pragma once

#include "core/console/ConsoleState.h"
#include "core/frames/ModuleFamily.h"

namespace tovan::consolecmd {

// Whether a console's command (by its id) can be chosen now, and whether its menu entry
// carries a check mark, from what the console remembers. Ids the console does not answer for
// are neither.
bool isEnabled(int commandId, const ConsoleState& state, ModuleFamily family);
bool isChecked(int commandId, const ConsoleState& state);

} // namespace tovan::consolecmd
