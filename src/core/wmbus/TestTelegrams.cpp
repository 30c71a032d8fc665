#include "core/wmbus/TestTelegrams.h"

namespace tovan {

namespace {

constexpr std::string_view SAMPLES[TEST_TELEGRAM_COUNT] = {
    "56 48 8F 19 13 51 45 08 17 03 72 13 51 45 08 8F 19 17 03 63 01 40 04 C9 DC 0A 3E A7 99 1B "
    "CC F1 82 23 73 D9 07 F3 FC 11 0B 91 2F 86 2B 4E 4A 5B 6F F7 06 D3 40 19 CD 4A 0A 6B CD CF "
    "31 D8 37 89 5D 0A EB C0 EC B2 FD 74 D3 83 5E 28 24 D5 4C F2 EE 7A 27 04 02 BD 22",
    "56 48 8F 19 13 51 45 08 17 04 72 13 51 45 08 8F 19 17 03 62 01 40 04 3A D2 59 2F A4 F3 99 "
    "A4 07 F8 80 A5 08 0F E7 84 48 93 0D 50 0B BC 24 44 A3 9B A1 CC 33 1B 34 6D 09 C6 31 83 4B "
    "39 7F C8 44 6F E4 A6 1F FD 1C 63 8A 18 91 4E 23 9D 6E 70 4C DB CF 01 5E 54 77 35",
    "37 44 79 16 2B 04 62 40 88 08 7A 2B 50 29 D6 1E AC 83 EE 7C E9 2D 0B 0F 41 84 B8 62 A8 20 "
    "DE C8 3A B0 25 5B 8B E6 07 3F 2C CE DF D6 53 1F ED E7 4D 20 50 FB 01 28 82 15",
};

} // namespace

std::string_view testTelegram(int index) {
    if (index < 0 || index >= TEST_TELEGRAM_COUNT)
        return {};
    return SAMPLES[index];
}

int chooseTestTelegram(int draw) {
    if (draw < 10000)
        return 0;
    if (draw > 10000 && draw < 20000)
        return 1;
    if (draw > 20000)
        return 2;
    return -1;
}

} // namespace tovan
