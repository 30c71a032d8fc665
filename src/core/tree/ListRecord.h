#pragma once

#include <cstddef>
#include <string>
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

} // namespace tovan
