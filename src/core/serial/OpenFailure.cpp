#include "core/serial/OpenFailure.h"

#include "core/serial/PortNames.h"
#include "core/serial/RemoteAddress.h"
#include "core/serial/RemoteOpenFailure.h"
#include "core/serial/SerialChannel.h"
#include "core/serial/SystemPorts.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tovan {
namespace {

std::string groupName(gid_t gid) {
    if (const group* g = ::getgrgid(gid))
        return g->gr_name;
    return std::to_string(gid);
}

std::string userName(uid_t uid) {
    if (const passwd* p = ::getpwuid(uid))
        return p->pw_name;
    return std::to_string(uid);
}

OpenFailure permissionDenied(const std::string& device) {
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0)
        return {"permission denied", {}};
    const bool groupMayUse = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (groupMayUse && info.st_gid != 0) {
        const std::string group = groupName(info.st_gid);
        return {"permission denied: " + device + " may be opened by the group \"" + group +
                    "\", and you are not in it",
                "Add yourself to the group, then log out and in again:\n    sudo usermod -aG " +
                    group + " $USER"};
    }
    if (info.st_uid != ::geteuid() && (info.st_mode & (S_IRUSR | S_IWUSR)) != 0)
        return {"permission denied: " + device + " belongs to the user \"" + userName(info.st_uid) +
                    "\", and only that user may open it",
                "A terminal or a simulated module of another user cannot be shared; start "
                "tovan-modsim yourself\nfor a simulated module of your own."};
    return {"permission denied: nobody may read and write " + device, {}};
}

std::string processName(const std::string& pid) {
    std::string name;
    std::getline(std::ifstream("/proc/" + pid + "/comm"), name);
    return name + " (pid " + pid + ")";
}

// The programs (other than this one) that have `device` open, as "name (pid N)".
std::string holdersOf(const std::string& device) {
    std::string holders;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return holders;
    const std::string self = std::to_string(::getpid());
    while (const dirent* entry = ::readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.find_first_not_of("0123456789") != std::string::npos || pid == self)
            continue;
        const std::string fdFolder = "/proc/" + pid + "/fd";
        DIR* fds = ::opendir(fdFolder.c_str());
        if (!fds)
            continue; // another user's process: /proc does not tell
        bool holds = false;
        while (const dirent* fd = ::readdir(fds)) {
            char target[4096];
            const std::string link = fdFolder + "/" + fd->d_name;
            const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
            if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == device)
                holds = true;
        }
        ::closedir(fds);
        if (!holds)
            continue;
        holders += (holders.empty() ? "" : ", ") + processName(pid);
    }
    ::closedir(proc);
    return holders;
}

// The process holding the lock a workbench, tovan-tool or another careful program takes on the
// device, as /proc/locks tells ("1: FLOCK ADVISORY WRITE <pid> <major>:<minor>:<inode> ...").
std::string lockHolder(const std::string& device) {
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0)
        return {};
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, file;
        fields >> number >> kind >> mode >> access >> pid >> file;
        if (kind == "->") // a waiter: its fields are shifted by one
            continue;
        unsigned major = 0, minor = 0;
        unsigned long inode = 0;
        if (std::sscanf(file.c_str(), "%x:%x:%lu", &major, &minor, &inode) == 3 &&
            ::makedev(major, minor) == info.st_dev && inode == info.st_ino)
            return processName(pid);
    }
    return {};
}

OpenFailure inUse(const std::string& device) {
    std::string holders = lockHolder(device);
    if (holders.empty())
        holders = holdersOf(device);
    if (holders.empty())
        return {"in use: another program has " + device + " open",
                "Close the port in that program (a workbench console, tovan-tool monitor, a "
                "terminal program)."};
    return {"in use by " + holders, "Close the port in that program, or end it."};
}

OpenFailure noSuchPort() {
    std::string list;
    for (const SystemPort& port : listSystemPorts())
        list += "\n  " + port.name + (port.description.empty() ? "" : "  " + port.description);
    return {"no such port", list.empty()
                                ? "This system has no serial ports; tovan-modsim simulates modules."
                                : "The ports of this system:" + list};
}

std::string realDevice(const std::string& portName) {
    std::string device = resolvePortName(portName);
    char resolved[PATH_MAX];
    if (!device.empty() && ::realpath(device.c_str(), resolved))
        device = resolved;
    return device;
}

} // namespace

OpenFailure describeOpenFailure(const std::string& portName, int error) {
    if (RemoteAddress::isRemote(portName))
        return describeRemoteOpenFailure(portName, error);
    const std::string device = realDevice(portName);
    switch (error) {
    case EACCES:
    case EPERM:
        return permissionDenied(device);
    case EBUSY:
        return inUse(device);
    case ENOENT:
        return noSuchPort();
    case ENOTTY:
    case EINVAL:
        return {"not a serial port", portName + " is no terminal device that takes line settings."};
    case EISDIR:
        return {"not a serial port: it is a folder", {}};
    case EIO:
    case ENXIO:
    case ENODEV:
        return {"the device does not answer (" + std::string(std::strerror(error)) + ")",
                "There may be no hardware behind " + device + ", or it was just unplugged."};
    case SerialChannel::ERR_TOO_MANY_PORTS: // never an errno of a non-blocking open
        return {"Too many communication ports opened. Please close one port.", {}};
    default:
        return {std::strerror(error), {}};
    }
}

std::string formatOpenFailure(const std::string& portName, const OpenFailure& failure) {
    std::string text = "cannot open " + portName + ": " + failure.reason + "\n";
    std::size_t start = 0;
    while (start < failure.hint.size()) {
        std::size_t end = failure.hint.find('\n', start);
        if (end == std::string::npos)
            end = failure.hint.size();
        text += "  " + failure.hint.substr(start, end - start) + "\n";
        start = end + 1;
    }
    return text;
}

} // namespace tovan
