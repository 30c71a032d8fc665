#include "core/wmbus/ManufacturerTable.h"

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

// No real table comes near this; bytes beyond it are not read.
constexpr std::size_t MAX_TABLE_BYTES = 16u << 20;

// The file's bytes; empty when it cannot be read.
std::string readTable(const std::string& path) {
    std::string content;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return content;
    char chunk[65536];
    std::size_t got;
    while (content.size() < MAX_TABLE_BYTES &&
           (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        content.append(chunk, std::min(got, MAX_TABLE_BYTES - content.size()));
    return content;
}

} // namespace

bool ManufacturerTable::FileStamp::operator==(const FileStamp& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           nanoseconds(modified) == nanoseconds(other.modified) &&
           nanoseconds(changed) == nanoseconds(other.changed);
}

ManufacturerTable::ManufacturerTable(std::string fileName, std::vector<std::string> shippedPaths,
                                     std::chrono::milliseconds checkInterval)
    : m_fileName(std::move(fileName)), m_shippedPaths(std::move(shippedPaths)),
      m_checkInterval(checkInterval), m_index(CODE_KEYS, 0) {}

std::vector<std::string> ManufacturerTable::shippedTablePaths() {
    return shippedTablePaths(programFolder());
}

std::vector<std::string> ManufacturerTable::shippedTablePaths(const std::string& folder) {
    if (folder.empty())
        return {};
    return {folder + "/mbus.cfg", folder + "/../share/tovan/mbus.cfg"};
}

std::string ManufacturerTable::tablePath() const {
    std::string path;
    FileStamp stamp;
    return findTable(path, stamp) ? path : std::string();
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
    const auto now = std::chrono::steady_clock::now();
    if (m_checked && now - m_lastCheck < m_checkInterval)
        return;
    m_checked = true;
    m_lastCheck = now;
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
    m_loadedPath = path;
    m_loadedStamp = stamp;
    m_loaded = !path.empty();
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    m_unsettled = m_loaded && nanoseconds(now) - nanoseconds(stamp.modified) < SETTLE_NS;

    // A table that exists but cannot be read gives no names, like an empty one.
    std::string content = m_loaded ? readTable(path) : std::string();
    if (content == m_content)
        return; // checked again while unsettled, but not changed
    m_content = std::move(content);
    parse();
}

void ManufacturerTable::parse() {
    std::fill(m_index.begin(), m_index.end(), 0);
    m_names.clear();
    std::string_view rest = m_content;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        // A CR before the LF belongs to the line end, as a text-mode reader sees it; a zero
        // byte ends the line's text; a longer line keeps its first MAX_LINE characters.
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        line = line.substr(0, std::min(line.find('\0'), MAX_LINE));
        if (line.empty())
            return; // an empty line ends the search
        addLine(line);
    }
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
