#include "tests/support/ScratchDir.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>

namespace tovan::test {

ScratchDir::ScratchDir() {
    char pattern[] = "/tmp/tovan-test-XXXXXX";
    if (!::mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    m_dir = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

std::string ScratchDir::path(const std::string& name) const {
    return name.empty() ? m_dir : m_dir + "/" + name;
}

std::string ScratchDir::write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary | std::ios::trunc) << bytes;
    return path(name);
}

std::string ScratchDir::read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace tovan::test
