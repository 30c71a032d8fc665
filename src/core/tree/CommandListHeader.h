#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tovan {

// Model named in the header of a list saved by the console that belongs to no family.
constexpr std::string_view GENERIC_LIST_MODEL = "Fehlende Implementierung";

// Creates the file (or empties an existing one) and writes the 8 header lines of a command
// list with `model` ("VX31", "VM77" or GENERIC_LIST_MODEL) on the second line. The port lines
// are fixed texts, not the console's settings. False when the file cannot be written.
bool writeListHeader(const std::string& path, std::string_view model);

// The model on the header's second line (without its '*'), which tells which kind of console
// the list belongs to. Empty when the file cannot be read or has no second line.
std::string readListModel(const std::string& path);

// Which of the document kinds, named in the order they were registered ("VX31", "VM77-M"),
// opens `path`: the first when the file cannot be read or its first line is empty; otherwise
// the second line, without its first byte and without spaces, names the kind, and a name that
// matches none (or no name) picks the last. The second line ends at its line end or at the
// end of the file, whichever comes first.
std::size_t documentKindFor(const std::string& path, const std::vector<std::string>& names);

} // namespace tovan
