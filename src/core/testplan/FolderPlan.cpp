#include "core/testplan/FolderPlan.h"

#include "core/frames/CHexCodec.h"
#include "core/frames/FrameLayout.h"
#include "core/testplan/CommandPath.h"
#include "core/tree/CommandStore.h"

#include <string_view>
#include <vector>

namespace tovan {
namespace {

// A path as a note can hold it: in quotes, so `#` stays part of it; a quote in a label would
// end it early and becomes an apostrophe.
std::string quoted(std::string path) {
    for (char& c : path)
        if (c == '"')
            c = '\'';
    return "\"" + path + "\"";
}

bool inside(const CommandTree& tree, CommandTree::Item item, CommandTree::Item folder) {
    for (; item; item = tree.parent(item))
        if (item == folder)
            return true;
    return false;
}

void addCommand(const CommandTree& tree, const CommandStore& store, CommandTree::Item item,
                const std::string& expect, std::string& plan) {
    const std::uint32_t id = tree.id(item);
    const std::uint8_t* data = store.entryData(id);
    const std::string path = quoted(itemPath(tree, item));
    const std::string_view text(reinterpret_cast<const char*>(data),
                                data ? store.entryLength(id) : 0);
    const int count = CHexCodec::HexByteCount(text);
    if (count == 0 || static_cast<std::size_t>(count) > frame::MAX_FRAME) {
        plan +=
            "\n# " + path +
            (count == 0 ? ": holds no frame to send\n" : ": longer than a port sends, left out\n");
        return;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    CHexCodec codec;
    codec.HexToBytes(text, bytes.data(), bytes.size());
    std::string hex;
    codec.BytesToHex(bytes.data(), bytes.size(), hex);
    plan += "\nnote " + path + "\nsend " + hex + "\n" + expect + "\n";
}

} // namespace

std::string planFromFolder(const CommandTree& tree, const CommandStore& store,
                           CommandTree::Item folder, std::chrono::milliseconds within) {
    const std::string expect = "expect * within " + std::to_string(within.count());
    std::string plan =
        "# Every command of " +
        (folder == tree.root() ? std::string("the tree") : quoted(itemPath(tree, folder))) +
        ": sent, and any answer within " + std::to_string(within.count()) + " ms passes.\n";
    std::size_t depth = 1;
    for (CommandTree::Item item = tree.firstChild(folder); item && inside(tree, item, folder);
         item = nextInPreOrder(tree, item, depth)) {
        if (store.entryLength(tree.id(item)) > 0)
            addCommand(tree, store, item, expect, plan);
    }
    return plan;
}

} // namespace tovan
