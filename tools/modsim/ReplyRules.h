#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tovan::modsim {

using Bytes = std::vector<std::uint8_t>;

// A script for a module being brought up: which frames to send back for a received frame.
//
//   # comment
//   FE 00 01 02 03  ->  FE 01 81 02 AA 2A ; FE 00 82 02 80
//   FE 00 09 09 00  ->                         (nothing after the arrow: stay silent)
//
// Frames are hex text; replies are sent exactly as written, checksums included.
class ReplyRules {
public:
    // Reads a rule file. Returns false and describes the first bad line in `error`.
    bool load(const std::string& path, std::string& error);
    // Parses rule text; `source` names it in error messages.
    bool parse(const std::string& text, const std::string& source, std::string& error);

    // The replies scripted for `frame`, or nullptr when no rule names it.
    const std::vector<Bytes>* find(const Bytes& frame) const;
    std::size_t size() const { return m_rules.size(); }

private:
    std::map<Bytes, std::vector<Bytes>> m_rules;
};

// Hex text to bytes; false when the text holds anything but hex digits and spaces or an
// odd number of digits.
bool parseHexFrame(const std::string& text, Bytes& bytes);

} // namespace tovan::modsim
