// Command-list files (.tcs) from anyone: the header readers, the checker, the loader with its
// notices, and a save of whatever was loaded. A list whose labels all survive saving must read
// back as it was, and a list the workbench writes whole must pass the check.
#include "core/frames/CHexCodec.h"
#include "core/tree/CommandListHeader.h"
#include "core/tree/CommandListIO.h"
#include "core/tree/CommandStore.h"
#include "core/tree/Labels.h"
#include "core/tree/ListCheck.h"
#include "core/tree/MemoryCommandTree.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/MemFile.h"

#include <set>
#include <string>
#include <vector>

using namespace tovan;

namespace {

// Parent links, unique ids and one store entry per item.
void checkConsistent(const MemoryCommandTree& tree, const CommandStore& store) {
    std::set<std::uint32_t> ids;
    std::size_t depth = 1;
    for (auto item = tree.firstChild(tree.root()); item; item = nextInPreOrder(tree, item, depth)) {
        FUZZ_CHECK(tree.depth(item) == depth, "the pre-order walk keeps the depth");
        FUZZ_CHECK(ids.insert(tree.id(item)).second, "every item has its own id");
        const bool folder = tree.kind(item) == ItemKind::Folder;
        FUZZ_CHECK(folder == (store.entryData(tree.id(item)) == nullptr),
                   "folders have no data, commands have some");
        FUZZ_CHECK(folder || !tree.firstChild(item), "commands have no children");
    }
    FUZZ_CHECK(ids.size() == tree.size(), "the walk reaches every item");
    FUZZ_CHECK(store.size() == tree.size(), "one store entry per item");
}

// Saving writes labels cut to LABEL_LIMIT and nothing for an empty label; any other tree is
// written exactly.
bool savesWhole(const MemoryCommandTree& tree) {
    std::size_t depth = 1;
    for (auto item = tree.firstChild(tree.root()); item; item = nextInPreOrder(tree, item, depth)) {
        const std::size_t length = tree.label(item).size();
        if (length == 0 || length > LABEL_LIMIT)
            return false;
    }
    return true;
}

std::string describe(const MemoryCommandTree& tree, const CommandStore& store) {
    std::string out;
    std::size_t depth = 1;
    for (auto item = tree.firstChild(tree.root()); item; item = nextInPreOrder(tree, item, depth)) {
        out += std::to_string(depth) + (tree.kind(item) == ItemKind::Folder ? " F " : " C ");
        out += tree.label(item) + '\0';
        const auto* data = reinterpret_cast<const char*>(store.entryData(tree.id(item)));
        if (data)
            out.append(data, store.entryLength(tree.id(item)));
        out += '\0';
    }
    return out;
}

// Command data as the composer stores it: hex digit pairs and spaces, an '@' in front for a raw
// frame, a zero byte behind for a New command never edited.
bool composerData(const MemoryCommandTree& tree, const CommandStore& store) {
    std::size_t depth = 1;
    for (auto item = tree.firstChild(tree.root()); item; item = nextInPreOrder(tree, item, depth)) {
        const auto* data = reinterpret_cast<const char*>(store.entryData(tree.id(item)));
        std::string_view text(data ? data : "", store.entryLength(tree.id(item)));
        if (!text.empty() && text.back() == '\0')
            text.remove_suffix(1);
        if (!text.empty() && text.front() == '@')
            text.remove_prefix(1);
        std::size_t digits = 0;
        for (char c : text) {
            if (CHexCodec::DigitValue(c) >= 0)
                ++digits;
            else if (c != ' ')
                return false;
        }
        if (digits % 2 != 0)
            return false;
    }
    return true;
}

bool headerComplete(const std::vector<LoadNotice>& notices) {
    for (const LoadNotice& notice : notices)
        if (notice.line == 0)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::MemFile file;
    file.write(data, size);
    readListModel(file.path());
    headerProblem(file.path());
    const ListCheck check = checkList(file.path());

    MemoryCommandTree tree;
    CommandStore store;
    std::vector<LoadNotice> notices;
    FUZZ_CHECK(loadList(tree, store, file.path(), &notices), "an existing list loads");
    checkConsistent(tree, store);
    FUZZ_CHECK(check.readable && check.items == tree.size(), "the check reads what a load reads");

    // Saving keeps the header the file has and writes the records after it.
    FUZZ_CHECK(saveList(tree, store, file.path()), "whatever was loaded can be saved");
    MemoryCommandTree reread;
    CommandStore rereadStore;
    FUZZ_CHECK(loadList(reread, rereadStore, file.path()), "a saved list loads");
    checkConsistent(reread, rereadStore);
    if (!headerComplete(notices) || !savesWhole(tree))
        return 0;
    FUZZ_CHECK(describe(tree, store) == describe(reread, rereadStore),
               "a saved list reads back as it was");
    if (!composerData(tree, store))
        return 0;
    FUZZ_CHECK(writeListHeader(file.path(), "VM77") && saveList(tree, store, file.path()),
               "a list can be written afresh");
    const ListCheck written = checkList(file.path());
    FUZZ_CHECK(written.items == tree.size() && written.findings.empty(),
               "the check finds nothing wrong with a list the workbench wrote");
    return 0;
}
