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
        const auto arrow = line.find("->");
        Bytes frame;
        if (arrow == std::string::npos || !parseHexFrame(line.substr(0, arrow), frame)) {
            error = source + ":" + std::to_string(number) + ": expected <frame hex> -> <replies>";
            return false;
        }
        std::vector<Bytes> replies;
        std::istringstream rest(line.substr(arrow + 2));
        std::string reply;
        while (std::getline(rest, reply, ';')) {
            if (trim(reply).empty())
                continue;
            Bytes bytes;
            if (!parseHexFrame(reply, bytes)) {
                error =
                    source + ":" + std::to_string(number) + ": bad reply \"" + trim(reply) + "\"";
                return false;
            }
            replies.push_back(bytes);
        }
        m_rules[frame] = replies;
    }
    return true;
}

const std::vector<Bytes>* ReplyRules::find(const Bytes& frame) const {
    const auto it = m_rules.find(frame);
    return it == m_rules.end() ? nullptr : &it->second;
}

} // namespace tovan::modsim
