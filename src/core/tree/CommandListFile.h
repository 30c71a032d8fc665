#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tovan {

enum class RecordKind { End, Folder, Command };

// One record of a command-list file as the reader sees it, with what the reader changed on
// the way (for tools that check files).
struct ListRecord {
    RecordKind kind = RecordKind::End;
    std::string label;           // label bytes (Latin-1)
    std::size_t indentation = 0; // spaces before the label's opening quote
    std::string data;            // command bytes; empty for a folder
    std::size_t line = 0;        // line of the label, counted from 1 with the header

    std::string droppedFromLabel; // quotes, '#', '{', '}' the label lost (closing quote aside)
    std::string droppedFromData;  // quotes, '#', '{', '}' the data lost
    std::size_t commasInData = 0; // commas in the data, read as spaces
    bool cutOff = false;          // End: the file ended inside a record, which is lost

    // What the reader passed over before this record, for checking tools; the loader needs
    // none of it.
    struct CloseBlock {
        std::size_t line = 0;        // line of the '}'
        std::size_t indentation = 0; // spaces between its '#' and the '}'
    };
    std::vector<CloseBlock> closeBlocks;
    std::vector<std::size_t> skippedLines; // lines whose text was skipped outside any record
    std::size_t markerForData = 0;         // line of a '#' where the data line was expected, or 0
};

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
    void noteSkipped(ListRecord& record) const;
    bool skipHeader();
    void writeIndented(std::size_t depth, std::string_view text);

    std::FILE* m_file = nullptr;
    bool m_writing = false;
    bool m_failed = false;
    bool m_headerComplete = false;
    std::size_t m_line = 1;
};

} // namespace tovan
