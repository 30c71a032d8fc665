#pragma once

#include "core/tree/CommandListIO.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tovan {

// What checking a command-list file found: everything a load drops, moves or reads
// differently from what the file seems to say, and what the workbench would not have written.
struct ListCheck {
    bool readable = false;
    std::size_t items = 0;
    std::vector<LoadNotice> findings; // by line; line 0 for the file as a whole
};

// Checks the file at `path` (which is only read, never created): the load's own notices
// (labels cut or changed, records placed elsewhere, a record cut off by the end), a header
// that is missing or not the workbench's, text outside any record (a record without its '#'
// line), a label line without its data line, braces that do not match the folders, and
// command data that is not hex text.
ListCheck checkList(const std::string& path);

// Why the header of `path` is not one the workbench writes; empty when it is.
std::string headerProblem(const std::string& path);

} // namespace tovan
