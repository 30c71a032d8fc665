#include "TelegramSet.h"

#include "frames/CHexCodec.h"

namespace tovan::modsim {
namespace {

// The three telegrams a VM77 console also uses for its own test sequence.
const char* const SAMPLE_A =
    "56 48 8F 19 13 51 45 08 17 03 72 13 51 45 08 8F 19 17 03 63 01 40 04 C9 DC 0A 3E A7 99 1B "
    "CC F1 82 23 73 D9 07 F3 FC 11 0B 91 2F 86 2B 4E 4A 5B 6F F7 06 D3 40 19 CD 4A 0A 6B CD CF "
    "31 D8 37 89 5D 0A EB C0 EC B2 FD 74 D3 83 5E 28 24 D5 4C F2 EE 7A 27 04 02 BD 22";
const char* const SAMPLE_B =
    "56 48 8F 19 13 51 45 08 17 04 72 13 51 45 08 8F 19 17 03 62 01 40 04 3A D2 59 2F A4 F3 99 "
    "A4 07 F8 80 A5 08 0F E7 84 48 93 0D 50 0B BC 24 44 A3 9B A1 CC 33 1B 34 6D 09 C6 31 83 4B "
    "39 7F C8 44 6F E4 A6 1F FD 1C 63 8A 18 91 4E 23 9D 6E 70 4C DB CF 01 5E 54 77 35";
const char* const SAMPLE_C =
    "37 44 79 16 2B 04 62 40 88 08 7A 2B 50 29 D6 1E AC 83 EE 7C E9 2D 0B 0F 41 84 B8 62 A8 20 "
    "DE C8 3A B0 25 5B 8B E6 07 3F 2C CE DF D6 53 1F ED E7 4D 20 50 FB 01 28 82 15";

Telegram fromHex(const std::string& description, const char* hex) {
    Telegram telegram{description, {}};
    parseHexFrame(hex, telegram.bytes);
    return telegram;
}

} // namespace

Telegram makeTelegram(const std::string& manufacturer, const std::string& identification,
                      std::uint8_t version, std::uint8_t deviceType, std::size_t payload,
                      std::uint8_t signal) {
    const unsigned code =
        (manufacturer[0] - 64u) << 10 | (manufacturer[1] - 64u) << 5 | (manufacturer[2] - 64u);
    Bytes id(4);
    CHexCodec().HexToBytes(identification, id.data(), id.size()); // most significant first
    Bytes t{0x00,
            0x44,
            static_cast<std::uint8_t>(code),
            static_cast<std::uint8_t>(code >> 8),
            id[3],
            id[2],
            id[1],
            id[0],
            version,
            deviceType,
            0x7A,
            0x21,
            0x00,
            0x00,
            0x00};
    for (std::size_t i = 0; i < payload; ++i)
        t.push_back(static_cast<std::uint8_t>(i * 37 + code));
    t.push_back(signal);
    t[0] = static_cast<std::uint8_t>(t.size() - 1);
    return {manufacturer + " " + identification + " type " + std::to_string(deviceType), t};
}

const std::vector<Telegram>& telegramSet() {
    static const std::vector<Telegram> set = {
        fromHex("sample A, gas meter", SAMPLE_A),
        fromHex("sample B, heat meter", SAMPLE_B),
        fromHex("sample C, heat cost allocator", SAMPLE_C),
        makeTelegram("KAM", "71234567", 0x1B, 0x07, 20, 0x2A),
        makeTelegram("ELS", "00004711", 0x20, 0x03, 16, 0x90),
        makeTelegram("DME", "30112233", 0x76, 0x16, 24, 0x40),
        makeTelegram("TCH", "10998877", 0x69, 0x08, 12, 0xB0),
        makeTelegram("ITW", "55667788", 0x33, 0x04, 30, 0x10),
        makeTelegram("QDS", "21436587", 0x35, 0x06, 18, 0x7F),
        makeTelegram("LUG", "00123456", 0x02, 0x02, 22, 0x81),
    };
    return set;
}

} // namespace tovan::modsim
