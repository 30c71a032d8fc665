#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tovan {

// What the command store keeps for one tree item. Length 0 makes the item a folder, anything
// else a command; the data is the command's text exactly as saved, never interpreted here.
struct CommandEntry {
    std::uint32_t id = 0;     // id of the tree item
    std::uint32_t length = 0; // number of data bytes
    // `length` bytes followed by one zero byte; absent when created without data.
    std::optional<std::vector<std::uint8_t>> data;
};

} // namespace tovan
