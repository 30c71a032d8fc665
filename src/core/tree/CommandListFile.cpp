#include "core/tree/CommandListFile.h"

#include "core/tree/RecordScanner.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tovan {

CommandListFile::~CommandListFile() {
    close();
}

bool CommandListFile::openForRead(const std::string& path) {
    close();
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file && errno == ENOENT) {
        // A list that does not exist yet is created empty: opening a document whose file has
        // gone gives an empty console of that name, saved back to the same place.
        if (std::FILE* created = std::fopen(path.c_str(), "ab"))
            std::fclose(created);
        m_file = std::fopen(path.c_str(), "rb");
    }
    if (!m_file)
        return false;
    struct stat info {};
    if (::fstat(::fileno(m_file), &info) != 0 || S_ISDIR(info.st_mode)) {
        close();
        return false;
    }
    m_writing = false;
    m_headerComplete = skipHeader();
    return true;
}

bool CommandListFile::openForWrite(const std::string& path) {
    close();
    m_file = std::fopen(path.c_str(), "r+b");
    if (!m_file)
        return false;
    m_headerComplete = skipHeader();
    // Switching a stream from reading to writing needs a positioning call in between.
    m_failed = std::fseek(m_file, 0, SEEK_CUR) != 0;
    m_writing = true;
    return true;
}

bool CommandListFile::skipHeader() {
    m_line = 1;
    int c;
    while (m_line <= HEADER_LINES && (c = getc_unlocked(m_file)) != EOF)
        if (c == '\n')
            ++m_line;
    return m_line > HEADER_LINES;
}

int CommandListFile::nextByte() {
    int c = getc_unlocked(m_file);
    if (c == '\r') {
        const int following = getc_unlocked(m_file);
        if (following == '\n')
            c = '\n';
        else if (following != EOF)
            std::ungetc(following, m_file);
    }
    if (c == '\n')
        ++m_line;
    return c;
}

ListRecord CommandListFile::readRecord() {
    if (!m_file || m_writing)
        return {};
    RecordScanner scanner;
    for (;;) {
        const int c = nextByte();
        if (c == EOF)
            return scanner.finish();
        if (scanner.feed(static_cast<char>(c), m_line))
            return scanner.take();
    }
}

void CommandListFile::writeIndented(std::size_t depth, std::string_view text) {
    if (!m_file || !m_writing)
        return;
    const std::string indentation(depth > 1 ? 2 * (depth - 1) : 0, ' ');
    if (std::fwrite(indentation.data(), 1, indentation.size(), m_file) != indentation.size() ||
        std::fwrite(text.data(), 1, text.size(), m_file) != text.size() ||
        std::fwrite("\r\n", 1, 2, m_file) != 2)
        m_failed = true;
}

void CommandListFile::writeRecord(std::size_t depth, std::string_view label,
                                  const std::uint8_t* data, std::size_t length) {
    writeIndented(depth, "#");
    std::string quoted;
    quoted.reserve(label.size() + 2);
    quoted += '"';
    quoted += label;
    quoted += '"';
    writeIndented(depth, quoted);
    if (length == 0 || !data)
        writeIndented(depth, "{");
    else
        writeIndented(depth, std::string_view(reinterpret_cast<const char*>(data), length));
}

void CommandListFile::writeCloseBlock(std::size_t depth) {
    writeIndented(depth, "#");
    writeIndented(depth, "}");
}

bool CommandListFile::close() {
    if (!m_file)
        return true;
    bool ok = true;
    if (m_writing) {
        ok = !m_failed && std::fflush(m_file) == 0;
        const off_t end = ::ftello(m_file);
        if (ok && (end < 0 || ::ftruncate(::fileno(m_file), end) != 0))
            ok = false;
    }
    if (std::fclose(m_file) != 0)
        ok = false;
    m_file = nullptr;
    m_writing = false;
    m_failed = false;
    return ok;
}

} // namespace tovan
