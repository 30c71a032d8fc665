#pragma once

#include <cstdint>
#include <vector>

namespace tovan::frame {

using Bytes = std::vector<std::uint8_t>;

// Whole frames with their start byte, length and checksum, for everything that puts frames on
// a line without the composer: the module simulator, tovan-tool, tests and benchmarks.
// Both return an empty frame when `data` holds more than MAX_DATA_BYTES.

// First family: FE LEN C1 C2 data CS, CS = XOR of LEN .. last data byte.
Bytes buildVx31Frame(std::uint8_t c1, std::uint8_t c2, const Bytes& data = {});

// Second family: FF CMD LEN data CS, CS = XOR of FF .. last data byte.
Bytes buildVm77Frame(std::uint8_t cmd, const Bytes& data = {});

// The checksum a frame of either family must end with: the XOR of the bytes the family covers
// (from LEN for the first family, from the start byte for the second), given the frame without
// its last byte.
std::uint8_t expectedChecksum(const std::uint8_t* frame, std::size_t lengthWithoutChecksum);

} // namespace tovan::frame
