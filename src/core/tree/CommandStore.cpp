#include "core/tree/CommandStore.h"

#include <new>

namespace tovan {

namespace {

std::vector<std::uint8_t> copyWithZero(std::uint32_t length, const std::uint8_t* data) {
    std::vector<std::uint8_t> copy(data, data + length);
    copy.push_back(0);
    return copy;
}

} // namespace

void CommandStore::appendEntry(std::uint32_t id, std::uint32_t length, const std::uint8_t* data) {
    CommandEntry entry{id, length, std::nullopt};
    if (data)
        entry.data = copyWithZero(length, data);
    m_entries.push_back(std::move(entry));
    m_byId[id].push_back(std::prev(m_entries.end()));
}

bool CommandStore::setEntryData(std::uint32_t id, std::uint32_t length, const std::uint8_t* data) {
    auto found = m_byId.find(id);
    if (found == m_byId.end())
        return false;
    CommandEntry& entry = *found->second.back();
    entry.data.reset();
    try {
        if (data)
            entry.data = copyWithZero(length, data);
        entry.length = length;
    } catch (const std::bad_alloc&) {
        entry.data.reset();
        entry.length = 0;
        return false;
    }
    return true;
}

void CommandStore::removeEntry(std::uint32_t id) {
    auto found = m_byId.find(id);
    if (found == m_byId.end())
        return;
    m_entries.erase(found->second.back());
    found->second.pop_back();
    if (found->second.empty())
        m_byId.erase(found);
}

const CommandEntry* CommandStore::find(std::uint32_t id) const {
    auto found = m_byId.find(id);
    return found == m_byId.end() ? nullptr : &*found->second.back();
}

std::uint32_t CommandStore::entryLength(std::uint32_t id) const {
    const CommandEntry* entry = find(id);
    return entry ? entry->length : 0;
}

const std::uint8_t* CommandStore::entryData(std::uint32_t id) const {
    const CommandEntry* entry = find(id);
    return entry && entry->data ? entry->data->data() : nullptr;
}

void CommandStore::clear() {
    m_entries.clear();
    m_byId.clear();
}

} // namespace tovan
