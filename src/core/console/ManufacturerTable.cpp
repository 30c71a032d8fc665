#include "console/ManufacturerTable.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace tovan {

namespace {

constexpr std::size_t CODE_KEYS = 1u << 15;

// Longer than the coarsest time-stamp step of a common file system (FAT: 2 s): a table whose
// stamp is younger than this when read may change again unseen.
constexpr long long SETTLE_NS = 3'000'000'000LL;

long long nanoseconds(const timespec& time) {
    return static_cast<long long>(time.tv_sec) * 1'000'000'000LL + time.tv_nsec;
}

std::string programFolder() {
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size())
        return {};
    path.resize(static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads one line without its line end (a CR before the LF is part of the line end, as a
// text-mode reader sees it). Keeps at most `limit` characters and skips the rest of a longer
// line. A zero byte ends the line's text. False at the end of the file with nothing read.
bool readLine(std::FILE* file, std::string& line, std::size_t limit) {
    line.clear();
    bool readAny = false;
    bool cut = false;
    int c;
    while ((c = getc_unlocked(file)) != EOF) {
        readAny = true;
        if (c == '\n')
            break;
        if (c == 0)
            cut = true;
        if (!cut && line.size() < limit + 1)      // one more: a CR at the limit may still belong
            line.push_back(static_cast<char>(c)); // to the line end
    }
    if (!line.empty() && line.back() == '\r' && c == '\n')
        line.pop_back();
    if (line.size() > limit)
        line.resize(limit);
    return readAny;
}

} // namespace

bool ManufacturerTable::FileStamp::operator==(const FileStamp& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           nanoseconds(modified) == nanoseconds(other.modified) &&
           nanoseconds(changed) == nanoseconds(other.changed);
}

ManufacturerTable::ManufacturerTable(std::string fileName, std::vector<std::string> shippedPaths)
    : m_fileName(std::move(fileName)), m_shippedPaths(std::move(shippedPaths)),
      m_index(CODE_KEYS, 0) {}

std::vector<std::string> ManufacturerTable::shippedTablePaths() {
    const std::string folder = programFolder();
    if (folder.empty())
        return {};
    return {folder + "/mbus.cfg", folder + "/../share/tovan/mbus.cfg"};
}

int ManufacturerTable::keyOf(std::string_view code) {
    if (code.size() < 3)
        return -1;
    int key = 0;
    for (int i = 0; i < 3; ++i) {
        const unsigned char letter = static_cast<unsigned char>(code[i]);
        if (letter < 0x40 || letter > 0x5F)
            return -1; // no code the decoder builds can equal it
        key = (key << 5) | (letter - 0x40);
    }
    return key;
}

std::string_view ManufacturerTable::nameOf(std::string_view code) {
    refresh();
    const int key = keyOf(code);
    if (key < 0 || m_index[static_cast<std::size_t>(key)] == 0)
        return {};
    return m_names[m_index[static_cast<std::size_t>(key)] - 1u];
}

bool ManufacturerTable::findTable(std::string& path, FileStamp& stamp) const {
    auto tryPath = [&](const std::string& candidate) {
        struct stat info {};
        if (candidate.empty() || ::stat(candidate.c_str(), &info) != 0)
            return false;
        path = candidate;
        stamp = {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
        return true;
    };
    if (tryPath(m_fileName))
        return true;
    for (const std::string& shipped : m_shippedPaths)
        if (tryPath(shipped))
            return true;
    return false;
}

void ManufacturerTable::refresh() {
    std::string path;
    FileStamp stamp;
    if (!findTable(path, stamp)) {
        if (m_loaded)
            load({}, {});
        return;
    }
    if (m_loaded && !m_unsettled && path == m_loadedPath && stamp == m_loadedStamp)
        return;
    load(path, stamp);
}

void ManufacturerTable::load(const std::string& path, const FileStamp& stamp) {
    std::fill(m_index.begin(), m_index.end(), 0);
    m_names.clear();
    m_loadedPath = path;
    m_loadedStamp = stamp;
    m_loaded = !path.empty();
    m_unsettled = false;
    if (!m_loaded)
        return;

    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    m_unsettled = nanoseconds(now) - nanoseconds(stamp.modified) < SETTLE_NS;

    // A table that exists but cannot be read gives no names, like one without the code.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return;
    std::string line;
    while (readLine(file.get(), line, MAX_LINE) && !line.empty())
        addLine(line);
}

void ManufacturerTable::addLine(std::string_view line) {
    const int key = keyOf(line);
    if (key < 0 || m_index[static_cast<std::size_t>(key)] != 0)
        return; // the search stops at the first line with the code
    std::size_t start = 3;
    while (start < line.size() && static_cast<unsigned char>(line[start]) <= 0x21)
        ++start;
    m_names.emplace_back(line.substr(start));
    m_index[static_cast<std::size_t>(key)] = static_cast<std::uint16_t>(m_names.size());
}

} // namespace tovan
