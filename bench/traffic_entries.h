#pragma once

#include "core/console/TrafficText.h"
#include "core/frames/CHexCodec.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Received-frame entries as a first-family console writes them: a time line and a line of 20
// bytes in hex.
inline std::vector<std::string> trafficEntries(int count) {
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(count));
    tovan::CHexCodec codec;
    for (int i = 0; i < count; ++i) {
        std::uint8_t frame[20];
        for (int b = 0; b < 20; ++b)
            frame[b] = static_cast<std::uint8_t>(i * 7 + b);
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", (i / 3600) % 24, (i / 60) % 60, i % 60);
        std::string hex;
        codec.BytesToHex(frame, sizeof frame, hex);
        entries.push_back(
            tovan::traffic::received(tovan::ModuleFamily::VX31, time, hex, nullptr).parts[0].text);
    }
    return entries;
}

constexpr std::uint32_t RX_COLOUR = tovan::traffic::RX_COLOUR;
