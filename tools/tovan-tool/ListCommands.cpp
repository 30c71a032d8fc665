#include "Commands.h"
#include "tree/CommandListHeader.h"
#include "tree/CommandListIO.h"
#include "tree/CommandStore.h"
#include "tree/Labels.h"
#include "tree/MemoryCommandTree.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace tovan::tool {

namespace {

bool oneFile(const std::vector<std::string>& args, const char* command) {
    if (args.size() == 1)
        return true;
    std::cerr << "usage: tovan-tool " << command << " FILE.tcs\n";
    return false;
}

bool load(const std::string& path, MemoryCommandTree& tree, CommandStore& store,
          std::vector<LoadNotice>* notices) {
    // Loading creates a missing list (as opening a document does); a checking tool must not.
    if (std::filesystem::is_regular_file(path) && loadList(tree, store, path, notices))
        return true;
    std::cerr << "tovan-tool: cannot read " << path << '\n';
    return false;
}

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

std::string printable(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += latin1ToUtf8(std::string(1, c));
        }
    }
    return out;
}

int runList(const std::vector<std::string>& args) {
    if (!oneFile(args, "list"))
        return EXIT_USAGE;
    MemoryCommandTree tree;
    CommandStore store;
    if (!load(args[0], tree, store, nullptr))
        return EXIT_FAILED;
    std::cout << "model: " << printable(readListModel(args[0])) << '\n';
    printItems(tree, store);
    return 0;
}

int runCheck(const std::vector<std::string>& args) {
    if (!oneFile(args, "check"))
        return EXIT_USAGE;
    MemoryCommandTree tree;
    CommandStore store;
    std::vector<LoadNotice> notices;
    const std::string& path = args[0];
    if (!load(path, tree, store, &notices))
        return EXIT_FAILED;
    for (const LoadNotice& notice : notices) {
        std::cout << path;
        if (notice.line > 0)
            std::cout << ':' << notice.line;
        std::cout << ": " << notice.message << '\n';
    }
    std::cout << path << ": " << tree.size() << " items, "
              << (notices.empty() ? std::string("loads as written")
                                  : std::to_string(notices.size()) + " notice(s)")
              << '\n';
    return notices.empty() ? 0 : EXIT_FAILED;
}

} // namespace tovan::tool
