#pragma once

#include "core/wmbus/CTelegramDecoder.h"
#include "core/wmbus/TelegramReading.h"

#include <string>
#include <string_view>

namespace tovan {

// A telegram as one line of JSON, for scripts: the header fields the console shows, the
// layers, "records" (value scaled, a number where it is one), "decrypted", and "error" where
// something could not be read. Keys never appear.
class ReadingJson {
public:
    static std::string line(const TelegramFields& fields, const TelegramReading& reading);
    // A JSON string literal of UTF-8 text, quotes included.
    static std::string quoted(std::string_view utf8);
};

} // namespace tovan
