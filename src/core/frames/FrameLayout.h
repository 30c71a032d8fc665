#pragma once

#include "core/frames/ModuleFamily.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tovan {

// Byte layouts of the two families' frames.
//
// First family:  FE  LEN  C1 C2  data[LEN]  CS   CS = XOR of LEN .. last data byte
// Second family: FF  CMD  LEN    data[LEN]  CS   CS = XOR of FF .. last data byte
//                L   data[L]                     raw frame (received telegrams), no checksum
namespace frame {

constexpr std::uint8_t VX31_START = 0xFE;
constexpr std::uint8_t VM77_START = 0xFF;

constexpr std::size_t MAX_DATA_BYTES = 255;
constexpr std::size_t VX31_FRAMING_BYTES = 5; // start, length, two command bytes, checksum
constexpr std::size_t VM77_FRAMING_BYTES = 4; // start, command, length, checksum
constexpr std::size_t VX31_MAX_FRAME = MAX_DATA_BYTES + VX31_FRAMING_BYTES; // 260
constexpr std::size_t VM77_MAX_FRAME = MAX_DATA_BYTES + VM77_FRAMING_BYTES; // 259
constexpr std::size_t VM77_MAX_RAW_FRAME = 0xFE + 1; // a length byte of 0xFF starts a command
constexpr std::size_t MAX_FRAME = VX31_MAX_FRAME;

// Length and checksum as the composer computes them from its field texts. `byteCount` is the
// number of bytes the codec takes from the texts (first family: command and data bytes;
// second family: data bytes).
struct LengthAndChecksum {
    std::uint8_t length = 0;
    std::uint8_t checksum = 0;
    int byteCount = 0;
};

// First family: the Command and Data texts are converted as one text of n bytes;
// LEN = (n - 2) mod 256, checksum = XOR over LEN and the n bytes.
LengthAndChecksum vx31LengthAndChecksum(std::string_view commandText, std::string_view dataText);

// Second family: LEN = bytes of the Data text mod 256; checksum = XOR over every byte of
// "FF <cmd> <LEN> <data>" converted as one text, the start byte included.
LengthAndChecksum vm77LengthAndChecksum(std::string_view cmdText, std::string_view dataText);

} // namespace frame
} // namespace tovan
