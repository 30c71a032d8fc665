#pragma once

#include "core/frames/ModuleFamily.h"
#include "core/serial/ComSettingsForm.h"

#include <QStringList>

#include <optional>

namespace tovan {

// The port settings a console of each family was last given, kept in the user's settings, so
// a new console starts where the last one left off. Before any were kept, a console starts on
// the first port that exists that names its family (a simulated module's), else the first.
class PortSettingsMemory {
public:
    // What a new console of `family` starts with, given the ports that exist now; none when
    // nothing was kept and no port exists (the console keeps its family's defaults).
    static std::optional<ComSettingsForm> startingSettings(ModuleFamily family,
                                                           const ComSettingsForm& defaults,
                                                           const QStringList& ports);
    // The port a new console of `family` starts on before any was kept; empty without ports.
    static QString firstPortFor(ModuleFamily family, const QStringList& ports);
    static void remember(ModuleFamily family, const ComSettingsForm& form);
};

} // namespace tovan
