#pragma once

#include "core/tree/CommandEntry.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

namespace tovan {

// The command texts of one tree, by item id. Entries are kept newest last; when an id occurs
// more than once, every lookup finds the newest entry with it.
class CommandStore {
public:
    // Adds an entry with its own copy of `length` bytes of `data` plus a zero byte; with no
    // data the entry has the length given and no data.
    void appendEntry(std::uint32_t id, std::uint32_t length, const std::uint8_t* data);

    // Gives the entry a fresh copy of the data and the new length. False when no entry has the
    // id, or when memory for the copy cannot be had (the entry is then left without data and
    // with length 0).
    bool setEntryData(std::uint32_t id, std::uint32_t length, const std::uint8_t* data);

    // Unlinks the entry and frees its data; nothing happens when no entry has the id.
    void removeEntry(std::uint32_t id);

    // 0 when no entry has the id.
    std::uint32_t entryLength(std::uint32_t id) const;

    // The data (length bytes and a zero byte), or null for a folder and for an unknown id.
    // Valid until the entry is changed or removed.
    const std::uint8_t* entryData(std::uint32_t id) const;

    std::size_t size() const { return m_entries.size(); }
    void clear();

private:
    using Entries = std::list<CommandEntry>;
    const CommandEntry* find(std::uint32_t id) const;

    Entries m_entries;
    // Entries of each id, oldest first, so the newest is found without walking the list.
    std::unordered_map<std::uint32_t, std::vector<Entries::iterator>> m_byId;
};

} // namespace tovan
