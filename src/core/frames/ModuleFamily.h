#pragma once

#include <cstdint>
#include <string_view>

namespace tovan {

// The two module families the workbench drives. Each has its own frame layout, serial
// channel, composer form and console.
enum class ModuleFamily : std::uint8_t {
    VX31, // first family: frames start with 0xFE, two command bytes after the length
    VM77, // second family (wireless M-Bus): command frames start with 0xFF, raw telegram frames
};

// "VX31" or "VM77": the model as it appears in window texts and command-list headers.
std::string_view modelName(ModuleFamily family);

} // namespace tovan
