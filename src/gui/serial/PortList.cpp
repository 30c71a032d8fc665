#include "gui/serial/PortList.h"

#include "core/serial/SimulatedPorts.h"
#include "gui/serial/RemotePortMemory.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace tovan {

QStringList availablePortNames() {
    QStringList names;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts())
        names << port.portName();
    // Simulated modules that run right now, under the names they registered.
    for (const SimulatedPort& port : listSimulatedPorts())
        names << QString::fromStdString(port.name);
    // Ports across the network chosen before.
    names << RemotePortMemory().names();
    return sortedPortNames(names);
}

QStringList sortedPortNames(QStringList names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

} // namespace tovan
