#include "core/serial/SimulatedPorts.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovan {
namespace {

constexpr std::string_view NAME_PREFIX = "SIM-";

void makeFolders(const std::string& path) {
    std::string partial;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || (path[i] == '/' && i > 0)) {
            partial = path.substr(0, i);
            ::mkdir(partial.c_str(), 0700);
        }
    }
}

bool processAlive(int pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

bool readEntry(const std::string& file, SimulatedPort& port) {
    std::ifstream in(file);
    return static_cast<bool>(std::getline(in, port.devicePath) && (in >> port.pid));
}

bool live(const SimulatedPort& port) {
    struct stat info {};
    return processAlive(port.pid) && ::stat(port.devicePath.c_str(), &info) == 0;
}

bool validName(std::string_view name) {
    return name.substr(0, NAME_PREFIX.size()) == NAME_PREFIX &&
           name.find('/') == std::string_view::npos && name.find("..") == std::string_view::npos;
}

} // namespace

std::string simulatedPortsFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return std::string(runtime) + "/tovan/ports";
    return "/tmp/tovan-" + std::to_string(::getuid()) + "/ports";
}

std::vector<SimulatedPort> listSimulatedPorts() {
    const std::string folder = simulatedPortsFolder();
    std::vector<SimulatedPort> ports;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return ports;
    while (dirent* entry = ::readdir(dir)) {
        SimulatedPort port;
        port.name = entry->d_name;
        if (!validName(port.name))
            continue;
        const std::string file = folder + "/" + port.name;
        if (!readEntry(file, port))
            continue;
        if (live(port))
            ports.push_back(port);
        else if (!processAlive(port.pid))
            ::unlink(file.c_str());
    }
    ::closedir(dir);
    std::sort(ports.begin(), ports.end(),
              [](const SimulatedPort& a, const SimulatedPort& b) { return a.name < b.name; });
    return ports;
}

std::string findSimulatedPort(std::string_view name) {
    if (!validName(name))
        return {};
    SimulatedPort port;
    if (!readEntry(simulatedPortsFolder() + "/" + std::string(name), port) || !live(port))
        return {};
    return port.devicePath;
}

std::string simulatedPortModel(const std::string& portName) {
    // A device is known by its number, whatever path or link names it.
    struct stat given {};
    const std::string path =
        portName.empty() || portName.front() == '/' ? portName : "/dev/" + portName;
    const bool device = ::stat(path.c_str(), &given) == 0 && S_ISCHR(given.st_mode);
    for (const SimulatedPort& port : listSimulatedPorts()) {
        struct stat registered {};
        const bool same =
            port.name == portName || (device && ::stat(port.devicePath.c_str(), &registered) == 0 &&
                                      registered.st_rdev == given.st_rdev);
        const std::size_t number = port.name.rfind('-'); // SIM-<model>-<n>
        if (same && number > NAME_PREFIX.size())
            return port.name.substr(NAME_PREFIX.size(), number - NAME_PREFIX.size());
    }
    return {};
}

std::string registerSimulatedPort(std::string_view model, const std::string& devicePath) {
    const std::string folder = simulatedPortsFolder();
    makeFolders(folder);
    listSimulatedPorts(); // clears entries of simulators that are gone
    for (int n = 1; n < 1000; ++n) {
        const std::string name =
            std::string(NAME_PREFIX) + std::string(model) + "-" + std::to_string(n);
        const std::string file = folder + "/" + name;
        // O_EXCL: two simulators starting together never take the same name.
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return {};
        }
        const std::string content = devicePath + "\n" + std::to_string(::getpid()) + "\n";
        const bool written =
            ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
        ::close(fd);
        if (!written) {
            ::unlink(file.c_str());
            return {};
        }
        return name;
    }
    return {};
}

void unregisterSimulatedPort(const std::string& name) {
    if (!validName(name))
        return;
    const std::string file = simulatedPortsFolder() + "/" + name;
    SimulatedPort port;
    if (readEntry(file, port) && port.pid == ::getpid())
        ::unlink(file.c_str());
}

} // namespace tovan
