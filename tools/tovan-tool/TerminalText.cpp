#include "tools/tovan-tool/TerminalText.h"

#include "core/tree/Labels.h"

#include <cstdio>

namespace tovan::tool {
namespace {

std::string escaped(const char* format, unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

std::string printable(std::string_view latin1) {
    std::string out;
    for (char c : latin1) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte == '\\')
            out += "\\\\";
        else if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0))
            out += escaped("\\x%02X", byte);
        else
            out += latin1ToUtf8(std::string(1, c));
    }
    return out;
}

std::string terminalSafe(std::string_view utf8, bool keepLineEnds) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(utf8[i]);
        const unsigned char next =
            i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
        if (byte == '\n' && keepLineEnds) {
            out += '\n';
        } else if (byte < 0x20 || byte == 0x7F) {
            out += escaped("\\x%02X", byte);
        } else if (byte == 0xC2 && next >= 0x80 && next < 0xA0) { // U+0080..U+009F
            out += escaped("\\u%04X", next);
            ++i;
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

} // namespace tovan::tool
