#include "core/wmbus/MeterKeys.h"

#include "core/frames/CHexCodec.h"

#include <openssl/crypto.h>

namespace tovan {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

MeterKeys::MeterKeys(const MeterKeys& other) : m_keys(other.m_keys) {}

MeterKeys& MeterKeys::operator=(const MeterKeys& other) {
    if (this != &other) {
        clear();
        m_keys = other.m_keys;
    }
    return *this;
}

MeterKeys::~MeterKeys() {
    clear();
}

void MeterKeys::clear() {
    for (auto& entry : m_keys)
        OPENSSL_cleanse(entry.second.data(), entry.second.size());
    m_keys.clear();
}

bool MeterKeys::normalId(std::string_view text, std::string& id) {
    if (text.size() != 8)
        return false;
    id.clear();
    for (char c : text) {
        if (CHexCodec::DigitValue(c) < 0)
            return false;
        id += static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
    }
    return true;
}

bool MeterKeys::set(std::string_view meterId, const AesKey& key) {
    std::string id;
    if (!normalId(meterId, id))
        return false;
    m_keys[id] = key;
    return true;
}

bool MeterKeys::remove(std::string_view meterId) {
    std::string id;
    auto found = normalId(meterId, id) ? m_keys.find(id) : m_keys.end();
    if (found == m_keys.end())
        return false;
    OPENSSL_cleanse(found->second.data(), found->second.size());
    m_keys.erase(found);
    return true;
}

const AesKey* MeterKeys::find(std::string_view meterId) const {
    std::string id;
    if (!normalId(meterId, id))
        return nullptr;
    const auto found = m_keys.find(id);
    return found == m_keys.end() ? nullptr : &found->second;
}

std::vector<std::string> MeterKeys::meterIds() const {
    std::vector<std::string> ids;
    for (const auto& entry : m_keys)
        ids.push_back(entry.first);
    return ids;
}

bool MeterKeys::parseKey(std::string_view hex, AesKey& key) {
    if (hex.size() != 2 * key.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const int high = CHexCodec::DigitValue(hex[2 * i]);
        const int low = CHexCodec::DigitValue(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        key[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return true;
}

std::string MeterKeys::masked(const AesKey& key) {
    std::string tail;
    CHexCodec().BytesToHex(key.data() + key.size() - 2, 2, tail);
    tail.erase(2, 1);
    return std::string(2 * key.size() - tail.size(), '*') + tail;
}

std::vector<MeterKeys::Problem> MeterKeys::read(std::string_view text) {
    std::vector<Problem> problems;
    std::map<std::string, std::size_t> seen;
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t gap = line.find_first_of(" \t");
        const std::string_view idText = line.substr(0, gap);
        const std::string_view keyText =
            gap == std::string_view::npos ? std::string_view() : trimmed(line.substr(gap));
        std::string id;
        AesKey key{};
        if (!normalId(idText, id))
            problems.push_back({number, "the meter id is not eight hex digits"});
        else if (!parseKey(keyText, key))
            problems.push_back({number, "the key of meter " + id + " is not 32 hex digits"});
        else {
            if (seen.count(id))
                problems.push_back({number, "meter " + id + " has a key on line " +
                                                std::to_string(seen[id]) +
                                                " already; this later one is used"});
            seen[id] = number;
            m_keys[id] = key;
        }
        OPENSSL_cleanse(key.data(), key.size());
    }
    return problems;
}

std::string MeterKeys::fileText() const {
    std::string text = "# Meter keys of TOVAN Commander: METER-ID KEY-HEX, one meter a line.\n";
    for (const auto& entry : m_keys) {
        text += entry.first + ' ';
        CHexCodec codec;
        for (std::uint8_t byte : entry.second) {
            std::string pair;
            codec.BytesToHex(&byte, 1, pair);
            text += pair;
        }
        text += '\n';
    }
    return text;
}

} // namespace tovan
