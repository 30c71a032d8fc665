#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace tovan {

// Meter manufacturer names by their three-letter code, as listed in "mbus.cfg": the code in
// columns 0 to 2, separator characters (codes up to 0x21), the name up to the end of the line.
// The search stops at the first empty line, so entries after it are never found.
//
// The table file is looked up again at most once per check interval (a second by default):
// the named file (a relative name resolves in the current directory) when it exists, else the
// table shipped with the program. Edits therefore show within a second without a look at the
// file system for every telegram of a flood, and the file is parsed again only when its
// identity, size or time stamps changed.
class ManufacturerTable {
public:
    static constexpr std::chrono::milliseconds CHECK_INTERVAL{1000};

    // `fileName` is tried first; `shippedPaths` in order when it does not exist.
    explicit ManufacturerTable(std::string fileName = "mbus.cfg",
                               std::vector<std::string> shippedPaths = shippedTablePaths(),
                               std::chrono::milliseconds checkInterval = CHECK_INTERVAL);

    // Name for the code, empty when no table can be read or the code has no entry.
    std::string_view nameOf(std::string_view code);

    // The file a lookup would read now: the named file when it exists, else the first shipped
    // table that exists; empty when there is none.
    std::string tablePath() const;

    // Where the shipped table is looked for: beside the running program, then in
    // ../share/tovan/ relative to the program's folder.
    static std::vector<std::string> shippedTablePaths();
    // The same places for a program in `folder`.
    static std::vector<std::string> shippedTablePaths(const std::string& folder);

    // Lines are read up to this many characters; the rest of a longer line is skipped.
    // Files are read up to 16 MiB.
    static constexpr std::size_t MAX_LINE = 999;

private:
    struct FileStamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        timespec modified{};
        timespec changed{};
        bool operator==(const FileStamp& other) const;
    };

    void refresh();
    bool findTable(std::string& path, FileStamp& stamp) const;
    void load(const std::string& path, const FileStamp& stamp);
    void parse();
    void addLine(std::string_view line);
    static int keyOf(std::string_view code);

    std::string m_fileName;
    std::vector<std::string> m_shippedPaths;
    std::chrono::milliseconds m_checkInterval;
    std::chrono::steady_clock::time_point m_lastCheck;
    bool m_checked = false;
    std::string m_loadedPath;
    FileStamp m_loadedStamp;
    bool m_loaded = false;
    // A file changed within the file system's time-stamp granularity of our read could change
    // again without its stamp moving; such a table is read (and compared) again at every
    // lookup until it has settled.
    bool m_unsettled = false;
    std::string m_content; // the bytes the names come from
    // Index by the 15 bits of a code (five per letter): 0 none, else position in m_names + 1.
    std::vector<std::uint16_t> m_index;
    std::vector<std::string> m_names;
};

} // namespace tovan
