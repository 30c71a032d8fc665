#pragma once

#include <cstdio>
#include <string>

namespace tovan::tool {

// A file named on the command line, or standard input for "-": regular files, pipes,
// /dev/stdin and process substitutions alike. Failures are printed with the reason.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // False after printing "tovan-tool: cannot read NAME: reason".
    bool open(const std::string& name);
    std::FILE* stream() const { return m_file; }
    // "standard input" for "-", else the name.
    const std::string& displayName() const { return m_displayName; }
    // True after printing the reason when reading failed (rather than ended).
    bool failed() const;

private:
    std::FILE* m_file = nullptr;
    bool m_own = false;
    std::string m_displayName;
};

// Reads all of `name` into `content`. False after printing why it cannot be read.
bool readWhole(const std::string& name, std::string& content);

} // namespace tovan::tool
