#pragma once

#include <QStringList>

namespace tovan {

// The names of the serial ports the system knows, of the simulated modules running now and of
// the ports across the network chosen before, sorted, each once: what the COM settings dialog
// lists and what the serial channel can open.
QStringList availablePortNames();

// Sorts the names as the port list shows them (ignoring case) and drops repeats.
QStringList sortedPortNames(QStringList names);

} // namespace tovan
