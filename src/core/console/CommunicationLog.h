#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tovan {

// The file a console copies its received traffic text into: a plain byte copy, no line ends
// added. Writes are collected and go to the file with flush(), so a flood of frames costs a
// system call per batch rather than per frame; other programs may read the file meanwhile.
class CommunicationLog {
public:
    // Collected text beyond this is written at once.
    static constexpr std::size_t FLUSH_THRESHOLD = 64 * 1024;

    CommunicationLog() = default;
    ~CommunicationLog();
    CommunicationLog(const CommunicationLog&) = delete;
    CommunicationLog& operator=(const CommunicationLog&) = delete;

    // Creates the file, or empties an existing one, and keeps it open. Returns 0 or errno;
    // a file already open is closed first.
    int open(const std::string& path);
    bool isOpen() const { return m_fd >= 0; }

    // Appends `text`. Returns 0, or errno when writing what was collected failed.
    int write(std::string_view text);
    // Writes what was collected. Returns 0 or errno; the text that failed is dropped.
    int flush();
    bool hasUnwritten() const { return !m_buffer.empty(); }

    // Writes what was collected and closes the file. Returns 0, or errno when the collected
    // text or the close failed (the end of the log may then be missing).
    int close();

private:
    int m_fd = -1;
    std::string m_buffer;
};

} // namespace tovan
