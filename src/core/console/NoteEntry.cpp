#include "core/console/NoteEntry.h"

namespace tovan::traffic {

Entry note(std::string_view time, std::string_view text) {
    std::string line = "\n";
    line.append(time).append("  ").append(text);
    Entry entry;
    entry.parts.push_back({line, NOTE_COLOUR});
    entry.logged = true;
    entry.logText = line;
    return entry;
}

} // namespace tovan::traffic
