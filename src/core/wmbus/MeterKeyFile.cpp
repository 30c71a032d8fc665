#include "core/wmbus/MeterKeyFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <openssl/crypto.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovan {
namespace {

std::string modeText(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    const passwd* user = ::getpwuid(::getuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

// Creates every missing folder of `folder`, each readable by its owner alone.
int makeFolders(const std::string& folder) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '/')
            continue;
        const std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    return 0;
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// The whole file behind `fd`; false with errno set on a read error.
bool readAll(int fd, std::string& text) {
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() > static_cast<std::size_t>(MeterKeyFile::MAX_SIZE))
            return true;
    }
}

} // namespace

std::string MeterKeyFile::defaultPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string base =
        config && config[0] == '/' ? std::string(config) : homeFolder() + "/.config";
    return base + "/tovan/meter-keys";
}

MeterKeyFile::Result MeterKeyFile::load(const std::string& path, MeterKeys& keys) {
    Result result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        result.missing = errno == ENOENT;
        result.error = "cannot open the key file " + path + ": " + std::strerror(errno);
        return result;
    }
    struct stat info {};
    std::string text;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        result.error = "the key file " + path + " is not a regular file";
    else if (info.st_mode & 077)
        result.error = "the key file " + path + " can be read or written by others (mode " +
                       modeText(info.st_mode) +
                       "); its keys are not used until only you can: " + "chmod 600 " + path;
    else if (info.st_size > MAX_SIZE)
        result.error = "the key file " + path + " is larger than 1 MiB; no key file is";
    else if (!readAll(fd, text))
        result.error = "reading the key file " + path + " failed: " + std::strerror(errno);
    else if (text.size() > static_cast<std::size_t>(MAX_SIZE))
        result.error = "the key file " + path + " is larger than 1 MiB; no key file is";
    ::close(fd);
    if (result.error.empty()) {
        result.problems = keys.read(text);
        result.loaded = true;
    }
    OPENSSL_cleanse(text.data(), text.size());
    return result;
}

int MeterKeyFile::save(const std::string& path, const MeterKeys& keys) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    if (slash != std::string::npos && slash > 0) {
        if (const int error = makeFolders(folder))
            return error;
    }
    std::string temp =
        (slash == std::string::npos ? std::string() : folder + "/") + ".meter-keys.XXXXXX";
    const int fd = ::mkstemp(temp.data()); // created with mode 0600
    if (fd < 0)
        return errno;
    std::string text = keys.fileText();
    int error = 0;
    if (::fchmod(fd, 0600) != 0 || !writeAll(fd, text) || ::fsync(fd) != 0)
        error = errno ? errno : EIO;
    OPENSSL_cleanse(text.data(), text.size());
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.c_str());
    return error;
}

} // namespace tovan
