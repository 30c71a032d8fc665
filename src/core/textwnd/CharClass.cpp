#include "core/textwnd/CharClass.h"

namespace tovan::charclass {

bool isPrintable(unsigned char b) {
    return (b >= 0x20 && b <= 0x7E) || b >= 0xA0;
}

bool isSpace(unsigned char b) {
    return b == 0x20 || b == 0xA0;
}

bool isAlnum(unsigned char b) {
    if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'))
        return true;
    if (b == 0xAA || b == 0xB5 || b == 0xBA)
        return true;
    return b >= 0xC0 && b != 0xD7 && b != 0xF7;
}

} // namespace tovan::charclass
