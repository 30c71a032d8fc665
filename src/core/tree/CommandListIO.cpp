#include "core/tree/CommandListIO.h"

#include "core/tree/CommandListFile.h"
#include "core/tree/CommandStore.h"
#include "core/tree/Labels.h"

#include <algorithm>

namespace tovan {

namespace {

std::string quoted(const std::string& latin1) {
    return "\"" + latin1ToUtf8(latin1) + "\"";
}

// Lists what the reader changed in one record.
void noteRecord(const ListRecord& record, std::size_t depth, std::vector<LoadNotice>& notices) {
    auto note = [&](std::string message) { notices.push_back({record.line, std::move(message)}); };
    if (record.label.size() > LABEL_LIMIT)
        note("label " + quoted(record.label) + " has " + std::to_string(record.label.size()) +
             " characters; saving keeps the first 48");
    if (!record.droppedFromLabel.empty())
        note("label " + quoted(record.label) + " loses the characters " + record.droppedFromLabel);
    if (!record.droppedFromData.empty())
        note("data of " + quoted(record.label) + " loses the characters " + record.droppedFromData);
    if (record.commasInData > 0)
        note("data of " + quoted(record.label) + " has " + std::to_string(record.commasInData) +
             " comma(s), read as spaces");
    if (record.indentation % 2 != 0)
        note("odd indentation of " + std::to_string(record.indentation) +
             " spaces, read as depth " + std::to_string(depth));
}

// The last folder read at each depth, valid for one load.
class FolderTrail {
public:
    // The last folder one level above `depth`, else the nearest shallower one, else the root
    // (`parentDepth` 0).
    CommandTree::Item parentFor(std::size_t depth, CommandTree::Item root,
                                std::size_t& parentDepth) const {
        parentDepth = std::min(depth - 1, m_last.size() - 1);
        while (parentDepth > 0 && !m_last[parentDepth])
            --parentDepth;
        return parentDepth > 0 ? m_last[parentDepth] : root;
    }
    void remember(std::size_t depth, CommandTree::Item folder) {
        if (m_last.size() <= depth)
            m_last.resize(depth + 1, nullptr);
        m_last[depth] = folder;
    }

private:
    std::vector<CommandTree::Item> m_last{nullptr}; // index = depth; 0 stands for the root
};

// Inserts one record at its sorted place below the parent its indentation asks for.
void placeRecord(const ListRecord& record, CommandTree& tree, CommandStore& store,
                 FolderTrail& folders, std::vector<LoadNotice>* notices) {
    const std::size_t depth = record.indentation / 2 + 1;
    std::size_t parentDepth = 0;
    const CommandTree::Item parent = folders.parentFor(depth, tree.root(), parentDepth);
    const bool folder = record.kind == RecordKind::Folder;
    const std::uint32_t id = tree.takeNextId();
    const CommandTree::Item item =
        tree.insertSorted(parent, record.label, folder ? ItemKind::Folder : ItemKind::Command, id);
    if (folder) {
        folders.remember(depth, item);
        store.appendEntry(id, 0, nullptr);
    } else {
        store.appendEntry(id, static_cast<std::uint32_t>(record.data.size()),
                          reinterpret_cast<const std::uint8_t*>(record.data.data()));
    }
    if (!notices)
        return;
    noteRecord(record, depth, *notices);
    if (parentDepth + 1 != depth)
        notices->push_back(
            {record.line, "no folder at depth " + std::to_string(depth - 1) + " for " +
                              quoted(record.label) + "; placed under " +
                              (parentDepth > 0 ? quoted(tree.label(parent)) : "the root")});
}

} // namespace

bool saveList(const CommandTree& tree, const CommandStore& store, const std::string& path) {
    CommandListFile file;
    if (!file.openForWrite(path))
        return false;
    std::size_t depth = 1;
    std::size_t previous = 1;
    for (CommandTree::Item item = tree.firstChild(tree.root()); item;
         item = nextInPreOrder(tree, item, depth)) {
        std::string label = tree.label(item);
        if (label.size() > LABEL_LIMIT)
            label.resize(LABEL_LIMIT);
        for (std::size_t k = previous; k > depth; --k)
            file.writeCloseBlock(k - 1);
        previous = depth;
        if (label.empty())
            continue;
        const std::uint32_t id = tree.id(item);
        const std::uint32_t length = store.entryLength(id);
        file.writeRecord(depth, label, length > 0 ? store.entryData(id) : nullptr, length);
    }
    for (std::size_t k = previous; k > 1; --k)
        file.writeCloseBlock(k - 1);
    return file.close();
}

bool loadList(CommandTree& tree, CommandStore& store, const std::string& path,
              std::vector<LoadNotice>* notices) {
    tree.beginLoad();
    CommandListFile file;
    if (!file.openForRead(path))
        return false;
    if (notices && !file.headerComplete())
        notices->push_back({0, "the header has fewer than 8 lines"});
    FolderTrail folders;
    for (;;) {
        const ListRecord record = file.readRecord();
        if (record.kind == RecordKind::End) {
            if (notices && record.cutOff)
                notices->push_back({record.line, "the file ends inside the record of " +
                                                     quoted(record.label) + ", which is lost"});
            break;
        }
        placeRecord(record, tree, store, folders, notices);
    }
    file.close();
    return true;
}

} // namespace tovan
