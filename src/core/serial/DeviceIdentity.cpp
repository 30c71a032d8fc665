#include "core/serial/DeviceIdentity.h"

#include "core/serial/PortNames.h"
#include "core/serial/RemoteAddress.h"
#include "core/serial/SystemPorts.h"

#include <unistd.h>

namespace tovan {

DeviceIdentity DeviceIdentity::of(const std::string& portName, const std::string& sysClassTty) {
    if (RemoteAddress::isRemote(portName))
        return {portName, {}};
    const std::string device = resolvePortName(portName);
    return {portName, device.empty() ? std::string() : usbIdentityOf(device, sysClassTty)};
}

std::string DeviceIdentity::locate(const std::string& sysClassTty) const {
    // A port across the network is there when a connection to it succeeds: the attempt to open
    // it is the look.
    if (RemoteAddress::isRemote(portName))
        return portName;
    const std::string device = resolvePortName(portName);
    if (!device.empty() && ::access(device.c_str(), F_OK) == 0 &&
        (usbIdentity.empty() || usbIdentityOf(device, sysClassTty) == usbIdentity))
        return portName;
    if (usbIdentity.empty())
        return {};
    for (const SystemPort& port : listSystemPorts(sysClassTty))
        if (usbIdentityOf(port.name, sysClassTty) == usbIdentity)
            return port.name;
    return {};
}

} // namespace tovan
