#pragma once

#include <string>

namespace tovan::test {

// A fresh folder under /tmp for one test, removed with everything in it afterwards.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The folder itself, or the path of `name` inside it.
    std::string path(const std::string& name = {}) const;
    // Writes the bytes as the whole file; returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;

private:
    std::string m_dir;
};

} // namespace tovan::test
