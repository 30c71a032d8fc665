#include "core/tree/CommandListHeader.h"
#include "core/tree/CommandListIO.h"
#include "core/tree/CommandStore.h"
#include "core/tree/ListCheck.h"
#include "core/tree/MemoryCommandTree.h"
#include "tools/tovan-tool/Commands.h"
#include "tools/tovan-tool/InputFile.h"
#include "tools/tovan-tool/TerminalText.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <sys/mman.h>
#include <unistd.h>

namespace tovan::tool {

namespace {

// The list's bytes in a memory file, so that the loader, which opens files by path (and
// creates those that are missing), reads pipes and standard input as it reads files, and
// never creates anything.
class ListCopy {
public:
    ~ListCopy() {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    // False after printing why.
    bool take(const std::string& name) {
        std::string content;
        if (!readWhole(name, content))
            return false;
        m_displayName = name == "-" ? "standard input" : name;
        m_fd = ::memfd_create("tovan-list", MFD_CLOEXEC);
        std::size_t written = 0;
        while (m_fd >= 0 && written < content.size()) {
            const ssize_t n = ::write(m_fd, content.data() + written, content.size() - written);
            if (n <= 0)
                break;
            written += static_cast<std::size_t>(n);
        }
        if (m_fd < 0 || written < content.size()) {
            std::cerr << "tovan-tool: cannot hold " << m_displayName
                      << " in memory: " << std::strerror(errno) << '\n';
            return false;
        }
        return true;
    }

    std::string path() const { return "/proc/self/fd/" + std::to_string(m_fd); }
    const std::string& displayName() const { return m_displayName; }

private:
    int m_fd = -1;
    std::string m_displayName;
};

void printItems(const MemoryCommandTree& tree, const CommandStore& store) {
    std::size_t depth = 1;
    for (auto item = tree.firstChild(tree.root()); item; item = nextInPreOrder(tree, item, depth)) {
        std::cout << std::string(2 * (depth - 1), ' ') << depth;
        const std::uint32_t id = tree.id(item);
        const bool folder = tree.kind(item) == ItemKind::Folder;
        std::cout << (folder ? " folder \"" : " command \"") << printable(tree.label(item)) << '"';
        if (const std::uint8_t* data = store.entryData(id); data && !folder)
            std::cout << ' '
                      << printable(std::string(reinterpret_cast<const char*>(data),
                                               store.entryLength(id)));
        std::cout << '\n';
    }
}

} // namespace

int runList(const std::string& file) {
    ListCopy list;
    if (!list.take(file))
        return EXIT_FAILED;
    MemoryCommandTree tree;
    CommandStore store;
    if (!loadList(tree, store, list.path(), nullptr)) {
        std::cerr << "tovan-tool: cannot read " << list.displayName() << '\n';
        return EXIT_FAILED;
    }
    if (const std::string problem = headerProblem(list.path()); !problem.empty())
        std::cerr << "tovan-tool: warning: " << list.displayName() << ": " << problem << '\n';
    std::cout << "model: " << printable(readListModel(list.path())) << '\n';
    printItems(tree, store);
    return 0;
}

int runCheck(const std::string& file) {
    ListCopy list;
    if (!list.take(file))
        return EXIT_FAILED;
    const ListCheck check = checkList(list.path());
    if (!check.readable) {
        std::cerr << "tovan-tool: cannot read " << list.displayName() << '\n';
        return EXIT_FAILED;
    }
    const std::string name = terminalSafe(list.displayName());
    for (const LoadNotice& finding : check.findings) {
        std::cout << name;
        if (finding.line > 0)
            std::cout << ':' << finding.line;
        std::cout << ": " << terminalSafe(finding.message) << '\n';
    }
    std::cout << name << ": " << check.items << " items, "
              << (check.findings.empty() ? std::string("loads as written")
                                         : std::to_string(check.findings.size()) + " notice(s)")
              << '\n';
    return check.findings.empty() ? 0 : EXIT_FAILED;
}

} // namespace tovan::tool
