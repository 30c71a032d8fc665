#pragma once

#include "core/tree/ListRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tovan {

// Reader and writer of command-list files: an 8-line header, then three lines per tree item
// and two per close block. Lines end in CR LF on disk; the reader sees the file as a
// text-mode reader does (CR before LF dropped, a lone CR an ordinary byte).
class CommandListFile {
public:
    static constexpr int HEADER_LINES = 8;

    CommandListFile() = default;
    ~CommandListFile();
    CommandListFile(const CommandListFile&) = delete;
    CommandListFile& operator=(const CommandListFile&) = delete;

    // Opens the file and skips the header. False when the file cannot be opened; reading
    // never creates a file.
    bool openForRead(const std::string& path);
    // Opens an existing file without truncating it and places writing after its header.
    bool openForWrite(const std::string& path);

    // The next record; kind End at the end of the file.
    ListRecord readRecord();
    // True when the header had all its lines.
    bool headerComplete() const { return m_headerComplete; }

    // A command record with the bytes verbatim; a folder record when there are none.
    void writeRecord(std::size_t depth, std::string_view label, const std::uint8_t* data,
                     std::size_t length);
    void writeCloseBlock(std::size_t depth);

    // Ends the file after what was written (a longer old content does not survive behind the
    // records) and closes it. False when anything could not be written.
    bool close();

private:
    int nextByte();
    bool skipHeader();
    void writeIndented(std::size_t depth, std::string_view text);

    std::FILE* m_file = nullptr;
    bool m_writing = false;
    bool m_failed = false;
    bool m_headerComplete = false;
    std::size_t m_line = 1;
};

} // namespace tovan
