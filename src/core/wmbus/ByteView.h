#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovan {

// A stretch of bytes someone else owns: what the telegram readers pass around instead of
// copies. Every access is bounds-checked by the callers through `size`.
struct ByteView {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;

    ByteView() = default;
    ByteView(const std::uint8_t* bytes, std::size_t count) : data(bytes), size(count) {}
    ByteView(const std::vector<std::uint8_t>& bytes) : data(bytes.data()), size(bytes.size()) {}

    std::uint8_t operator[](std::size_t i) const { return data[i]; }
    bool empty() const { return size == 0; }
    // The bytes from `from` on, at most `count` of them; empty past the end.
    ByteView sub(std::size_t from, std::size_t count = SIZE_MAX) const {
        if (from >= size)
            return {};
        return {data + from, count < size - from ? count : size - from};
    }
    std::vector<std::uint8_t> copy() const { return {data, data + size}; }
    // Little-endian value of `count` bytes (up to 8) from `at`; the caller checked the size.
    std::uint64_t little(std::size_t at, std::size_t count) const {
        std::uint64_t value = 0;
        for (std::size_t i = count; i-- > 0;)
            value = value << 8 | data[at + i];
        return value;
    }
};

// Hex text of the bytes as the workbench writes it: "2F 2F 0C".
std::string hexText(ByteView bytes);

} // namespace tovan
