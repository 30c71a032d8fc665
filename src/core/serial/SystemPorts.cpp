#include "core/serial/SystemPorts.h"

#include "core/serial/SimulatedPorts.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <unistd.h>

namespace tovan {
namespace {

std::string firstLine(const std::string& path) {
    std::string line;
    std::getline(std::ifstream(path), line);
    return line;
}

std::string linkTarget(const std::string& path) {
    char target[4096];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

std::string baseName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

// The sysfs folder of the USB device above a port's interface; empty when it is not on USB.
std::string usbFolder(const std::string& device) {
    char resolved[PATH_MAX];
    if (!::realpath(device.c_str(), resolved))
        return {};
    for (std::string folder = resolved; folder.size() > 1;
         folder = folder.substr(0, folder.find_last_of('/')))
        if (!firstLine(folder + "/idVendor").empty())
            return folder;
    return {};
}

// What the USB device above the port's interface tells about itself: vendor and product ids,
// names and serial number. Empty when the port is not on USB.
std::string usbDescription(const std::string& device) {
    const std::string folder = usbFolder(device);
    if (folder.empty())
        return {};
    std::string text =
        "USB " + firstLine(folder + "/idVendor") + ":" + firstLine(folder + "/idProduct");
    for (const char* field : {"/manufacturer", "/product"})
        if (const std::string value = firstLine(folder + field); !value.empty())
            text += " " + value;
    if (const std::string serial = firstLine(folder + "/serial"); !serial.empty())
        text += ", serial " + serial;
    return text;
}

// A tty with a device and its driver behind it (virtual consoles and pseudo-terminals have
// none). The UART drivers register placeholders for chips that are not there, which report the
// port type 0 (unknown).
bool isSerialPort(const std::string& entry) {
    if (linkTarget(entry + "/device/driver").empty())
        return false;
    return firstLine(entry + "/type") != "0";
}

} // namespace

std::string usbIdentityOf(const std::string& devicePath, const std::string& sysClassTty) {
    char resolved[PATH_MAX];
    if (!::realpath(devicePath.c_str(), resolved))
        return {};
    const std::string folder = usbFolder(sysClassTty + "/" + baseName(resolved) + "/device");
    const std::string serial = folder.empty() ? std::string() : firstLine(folder + "/serial");
    if (serial.empty())
        return {};
    return firstLine(folder + "/idVendor") + ":" + firstLine(folder + "/idProduct") + ":" + serial;
}

std::vector<SystemPort> listSystemPorts(const std::string& sysClassTty) {
    std::vector<SystemPort> ports;
    if (DIR* folder = ::opendir(sysClassTty.c_str())) {
        while (const dirent* entry = ::readdir(folder)) {
            const std::string name = entry->d_name;
            const std::string path = sysClassTty + "/" + name;
            if (name[0] == '.' || !isSerialPort(path))
                continue;
            std::string description = usbDescription(path + "/device");
            if (description.empty())
                description = ::access((path + "/type").c_str(), F_OK) == 0
                                  ? "UART"
                                  : baseName(linkTarget(path + "/device/driver"));
            ports.push_back({"/dev/" + name, description});
        }
        ::closedir(folder);
    }
    std::sort(ports.begin(), ports.end(),
              [](const SystemPort& a, const SystemPort& b) { return a.name < b.name; });
    for (const SimulatedPort& sim : listSimulatedPorts())
        ports.push_back({sim.name, sim.devicePath + "  simulated module (tovan-modsim, pid " +
                                       std::to_string(sim.pid) + ")"});
    return ports;
}

} // namespace tovan
