#pragma once

#include "core/wmbus/TelegramCipher.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tovan {

// The AES keys of meters, by identification number (the eight digits the console shows).
// A key is never shown in full: `masked` is the form for display, and no message of this
// class repeats what stood where a key was expected. The keys are wiped from memory when the
// set is destroyed.
class MeterKeys {
public:
    MeterKeys() = default;
    MeterKeys(const MeterKeys& other);
    MeterKeys& operator=(const MeterKeys& other);
    ~MeterKeys();

    // A line of a key file that was not taken, and why.
    struct Problem {
        std::size_t line = 0;
        std::string reason;
    };

    // Adds or replaces the key of a meter; false for an identification that is not eight hex
    // digits.
    bool set(std::string_view meterId, const AesKey& key);
    bool remove(std::string_view meterId);
    // The key of a meter, or null. The identification in any case.
    const AesKey* find(std::string_view meterId) const;
    std::vector<std::string> meterIds() const;
    std::size_t size() const { return m_keys.size(); }
    bool empty() const { return m_keys.empty(); }
    void clear();

    // Takes the lines "METER-ID KEY-HEX" of a key file's text (blank lines and lines starting
    // with '#' skipped), adding to what is held; returns the lines that were not taken.
    std::vector<Problem> read(std::string_view text);
    // The text of a key file holding every key.
    std::string fileText() const;

    // Sixteen bytes from 32 hex digits (either case); false for anything else.
    static bool parseKey(std::string_view hex, AesKey& key);
    // The last four hex digits only, behind asterisks: "****************************0F11".
    static std::string masked(const AesKey& key);

private:
    static bool normalId(std::string_view text, std::string& id);
    std::map<std::string, AesKey> m_keys;
};

} // namespace tovan
