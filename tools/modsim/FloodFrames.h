#pragma once

#include "core/frames/ModuleFamily.h"
#include "tools/modsim/ReplyRules.h"

namespace tovan::modsim {

// `count` five-byte frames carrying a 16-bit sequence number, for floods and throughput
// measurements: VX31 FE 00 lo hi CS (in the command bytes), VM77 FF lo 01 hi CS (in the
// command and the data byte).
Bytes floodFrames(ModuleFamily family, long count);

// The sequence number of a frame made by floodFrames().
std::uint16_t floodSequence(const std::uint8_t* frame);

} // namespace tovan::modsim
