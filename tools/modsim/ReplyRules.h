#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tovan::modsim {

using Bytes = std::vector<std::uint8_t>;

// One frame to send back, `delay` after the frame it answers arrived.
struct Reply {
    Bytes frame;
    std::chrono::milliseconds delay{0};
};

// What a module does with one frame: its replies, given only every `every`th time the frame
// arrives (the Nth, the 2Nth, ...; silence the other times).
struct ReplyRule {
    std::vector<Reply> replies;
    unsigned every = 1;
};

// A script for a module being brought up: which frames to send back for a received frame.
//
//   # comment
//   FE 00 01 02 03  ->  FE 01 81 02 AA 2A ; FE 00 82 02 80
//   FE 00 09 09 00  ->                         (nothing after the arrow: stay silent)
//   FE 00 02 00 02  ->  300ms FE 00 82 00 82   (the reply 300 ms after the frame arrived)
//   FE 00 03 00 03  ->  every 3 FE 00 83 00 83 (answers the 3rd, 6th, ... time only)
//
// Frames are hex text; replies are sent exactly as written, checksums included, in the order
// they were planned (a delayed reply holds back what the module answers after it).
class ReplyRules {
public:
    // Reads a rule file. Returns false and describes the first bad line in `error`.
    bool load(const std::string& path, std::string& error);
    // Parses rule text; `source` names it in error messages.
    bool parse(const std::string& text, const std::string& source, std::string& error);

    // The rule for `frame`, or nullptr when no rule names it.
    const ReplyRule* find(const Bytes& frame) const;
    std::size_t size() const { return m_rules.size(); }

    static constexpr long MAX_DELAY_MS = 3600000;
    static constexpr long MAX_EVERY = 1000000;

private:
    std::map<Bytes, ReplyRule> m_rules;
};

// Hex text to bytes; false when the text holds anything but hex digits and spaces or an
// odd number of digits.
bool parseHexFrame(const std::string& text, Bytes& bytes);

} // namespace tovan::modsim
