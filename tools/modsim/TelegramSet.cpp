#include "tools/modsim/TelegramSet.h"

#include "core/frames/CHexCodec.h"
#include "core/wmbus/TestTelegrams.h"

namespace tovan::modsim {
namespace {

// The samples a VM77 console feeds itself, so the simulator shows the same meters.
Telegram sample(const std::string& description, int index) {
    Telegram telegram{description, {}};
    parseHexFrame(std::string(testTelegram(index)), telegram.bytes);
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
        sample("sample A, gas meter", 0),
        sample("sample B, heat meter", 1),
        sample("sample C, heat cost allocator", 2),
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
