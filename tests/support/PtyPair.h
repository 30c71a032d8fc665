#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovan::test {

// A pseudo-terminal for tests: the workbench opens the slave by its path like any serial
// port, the test plays the module on the master side.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // Writes all bytes to the master side (blocking).
    void write(const std::vector<std::uint8_t>& bytes);
    // Reads what arrives on the master side within `timeoutMs` (stops early at `expected`).
    std::vector<std::uint8_t> read(std::size_t expected, int timeoutMs);
    // Closes the master side: the port "disappears" for whoever has the slave open.
    void closeMaster();

private:
    int m_master = -1;
    int m_slaveKeeper = -1; // keeps the slave configured (raw) until the test opens it
    std::string m_slavePath;
};

} // namespace tovan::test
