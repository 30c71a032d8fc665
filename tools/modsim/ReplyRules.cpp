#include "tools/modsim/ReplyRules.h"

#include "core/frames/HexInput.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tovan::modsim {
namespace {

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// A whole number of digits alone, up to `max`; false for anything else.
bool wholeNumber(const std::string& text, long max, long& value) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stol(text);
    return value <= max;
}

// Takes a leading "every N" off the replies.
bool takeEvery(std::string& rest, unsigned& every) {
    std::istringstream words(rest);
    std::string word, count;
    if (!(words >> word) || word != "every")
        return true;
    long value = 0;
    if (!(words >> count) || !wholeNumber(count, ReplyRules::MAX_EVERY, value) || value < 1)
        return false;
    every = static_cast<unsigned>(value);
    std::getline(words, rest);
    rest = trim(rest);
    return true;
}

// "[<ms>ms] <hex>": a reply and how long after the frame it answers it goes out.
bool parseReply(const std::string& text, Reply& reply) {
    std::string hex = text;
    const auto space = text.find_first_of(" \t");
    const std::string first = text.substr(0, space);
    if (first.size() > 2 && (first.compare(first.size() - 2, 2, "ms") == 0)) {
        long ms = 0;
        if (!wholeNumber(first.substr(0, first.size() - 2), ReplyRules::MAX_DELAY_MS, ms) ||
            space == std::string::npos)
            return false;
        reply.delay = std::chrono::milliseconds(ms);
        hex = text.substr(space);
    }
    return parseHexFrame(hex, reply.frame);
}

} // namespace

bool parseHexFrame(const std::string& text, Bytes& bytes) {
    return parseHexInput(text, bytes);
}

bool ReplyRules::load(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read rule file " + path + ": " + std::strerror(errno);
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = "cannot read rule file " + path + ": " + std::strerror(errno);
        return false;
    }
    return parse(text.str(), path, error);
}

bool ReplyRules::parse(const std::string& text, const std::string& source, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = trim(line.substr(0, line.find('#')));
        if (line.empty())
            continue;
        const std::string where = source + ":" + std::to_string(number) + ": ";
        const auto arrow = line.find("->");
        Bytes frame;
        if (arrow == std::string::npos || !parseHexFrame(line.substr(0, arrow), frame)) {
            error = where + "expected <frame hex> -> [every N] [<ms>ms] <replies>";
            return false;
        }
        ReplyRule rule;
        std::string rest = trim(line.substr(arrow + 2));
        if (!takeEvery(rest, rule.every)) {
            error = where + "every needs a count from 1 to " + std::to_string(MAX_EVERY);
            return false;
        }
        std::istringstream replies(rest);
        std::string reply;
        while (std::getline(replies, reply, ';')) {
            if (trim(reply).empty())
                continue;
            Reply parsed;
            if (!parseReply(trim(reply), parsed)) {
                error = where + "bad reply \"" + trim(reply) +
                        "\" (hex bytes, a delay such as "
                        "300ms before them)";
                return false;
            }
            rule.replies.push_back(parsed);
        }
        m_rules[frame] = rule;
    }
    return true;
}

const ReplyRule* ReplyRules::find(const Bytes& frame) const {
    const auto it = m_rules.find(frame);
    return it == m_rules.end() ? nullptr : &it->second;
}

} // namespace tovan::modsim
