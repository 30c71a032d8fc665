#include "tools/tovan-tool/InputFile.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <sys/stat.h>

namespace tovan::tool {

InputFile::~InputFile() {
    if (m_own && m_file)
        std::fclose(m_file);
}

bool InputFile::open(const std::string& name) {
    m_displayName = name == "-" ? "standard input" : name;
    if (name == "-") {
        m_file = stdin;
        return true;
    }
    struct stat info {};
    if (::stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::cerr << "tovan-tool: cannot read " << name << ": it is a folder\n";
        return false;
    }
    m_file = std::fopen(name.c_str(), "rb");
    if (!m_file) {
        std::cerr << "tovan-tool: cannot read " << name << ": " << std::strerror(errno) << '\n';
        return false;
    }
    m_own = true;
    return true;
}

bool InputFile::failed() const {
    if (!m_file || !std::ferror(m_file))
        return false;
    std::cerr << "tovan-tool: error while reading " << m_displayName << '\n';
    return true;
}

bool readWhole(const std::string& name, std::string& content) {
    InputFile input;
    if (!input.open(name))
        return false;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, input.stream())) > 0)
        content.append(buffer, got);
    return !input.failed();
}

} // namespace tovan::tool
