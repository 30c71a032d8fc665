#include "tools/modsim/TelegramSet.h"

#include "core/frames/CHexCodec.h"
#include "core/wmbus/MeterKeys.h"
#include "core/wmbus/TelegramCipher.h"
#include "core/wmbus/TestTelegrams.h"

#include <algorithm>

namespace tovan::modsim {
namespace {

// The samples a VM77 console feeds itself, so the simulator shows the same meters.
Telegram sample(const std::string& description, int index) {
    Telegram telegram{description, {}};
    parseHexFrame(std::string(testTelegram(index)), telegram.bytes);
    return telegram;
}

Bytes hex(const char* text) {
    Bytes bytes(static_cast<std::size_t>(CHexCodec::HexByteCount(text)));
    CHexCodec().HexToBytes(text, bytes.data(), bytes.size());
    return bytes;
}

// Mode 5: the records behind 2F 2F, filled up with 2F to whole blocks, encrypted with the
// meter's key; the IV is the address and eight times the access number.
Bytes encrypted(const Bytes& address, const MeterData& data, std::uint16_t& config) {
    Bytes plain{0x2F, 0x2F};
    plain.insert(plain.end(), data.records.begin(), data.records.end());
    plain.resize((plain.size() + 15) / 16 * 16, 0x2F);
    AesKey key{};
    AesBlock iv{};
    MeterKeys::parseKey(data.key, key);
    std::copy(address.begin(), address.end(), iv.begin());
    std::fill(iv.begin() + 8, iv.end(), data.access);
    Bytes out(plain.size());
    TelegramCipher::encryptCbc(key, iv, ByteView(plain), out.data());
    config = static_cast<std::uint16_t>(0x0500 | (plain.size() / 16) << 4);
    return out;
}

} // namespace

Telegram makeTelegram(const std::string& manufacturer, const std::string& identification,
                      std::uint8_t version, std::uint8_t deviceType, const MeterData& data,
                      std::uint8_t signal) {
    const unsigned code =
        (manufacturer[0] - 64u) << 10 | (manufacturer[1] - 64u) << 5 | (manufacturer[2] - 64u);
    Bytes id(4);
    CHexCodec().HexToBytes(identification, id.data(), id.size()); // most significant first
    const Bytes address{static_cast<std::uint8_t>(code),
                        static_cast<std::uint8_t>(code >> 8),
                        id[3],
                        id[2],
                        id[1],
                        id[0],
                        version,
                        deviceType};
    std::uint16_t config = 0;
    const Bytes payload = data.key ? encrypted(address, data, config) : data.records;
    Bytes t{0x00, 0x44};
    t.insert(t.end(), address.begin(), address.end());
    t.insert(t.end(), {0x7A, data.access, data.status, static_cast<std::uint8_t>(config),
                       static_cast<std::uint8_t>(config >> 8)});
    t.insert(t.end(), payload.begin(), payload.end());
    t.push_back(signal);
    t[0] = static_cast<std::uint8_t>(t.size() - 1);
    return {manufacturer + " " + identification + " type " + std::to_string(deviceType) +
                (data.key ? ", encrypted" : ""),
            t};
}

// The records are what meters of each kind typically send: readings now, the reading at the
// last due date (storage 1) with that date, temperatures, flow, error flags.
const std::vector<Telegram>& telegramSet() {
    static const std::vector<Telegram> set = {
        sample("sample A, gas meter", 0),
        sample("sample B, heat meter", 1),
        sample("sample C, heat cost allocator", 2),
        // water: volume 12.345 m3, 11.020 m3 at the due date 2026-11-30, no errors
        makeTelegram("KAM", ENCRYPTED_METER, 0x1B, 0x07,
                     {0x21, 0x00,
                      hex("04 13 39 30 00 00 44 13 0C 2B 00 00 42 6C 5E 3B 02 FD 17 "
                          "00 00"),
                      ENCRYPTED_METER_KEY},
                     0x2A),
        // gas: volume 4711.25 m3 in 0.01 m3, date and time of the reading
        makeTelegram("ELS", "00004711", 0x20, 0x03,
                     {0x05, 0x00, hex("0C 14 25 11 47 00 04 6D 1E 0C 5E 3B"), nullptr}, 0x90),
        // cold water, with a power-low flag: volume, volume flow in l/h, a minimum flow
        makeTelegram("DME", "30112233", 0x76, 0x16,
                     {0x4C, 0x04, hex("04 13 A0 86 01 00 02 3B 7B 00 22 3B 0A 00"), nullptr}, 0x40),
        // heat cost allocator: units now and at the due date, the room temperature
        makeTelegram(
            "TCH", "10998877", 0x69, 0x08,
            {0x12, 0x00, hex("0B 6E 48 02 00 4B 6E 91 01 00 42 6C 5E 3B 02 65 CA 08"), nullptr},
            0xB0),
        // heat: energy 1.234 MWh (1234 kWh), volume, power, flow and return temperature
        makeTelegram("ITW", "55667788", 0x33, 0x04,
                     {0x77, 0x00,
                      hex("04 06 D2 04 00 00 44 06 E8 03 00 00 42 6C 5E 3B 04 13 "
                          "F1 D4 00 00 02 2D 0F 00 02 5A C4 01 02 5E 2C 01"),
                      nullptr},
                     0x10),
        // warm water: volume and the water's temperature
        makeTelegram("QDS", "21436587", 0x35, 0x06,
                     {0x03, 0x00, hex("04 13 10 27 00 00 02 5A BA 01"), nullptr}, 0x7F),
        // electricity: energy in Wh, power in W, and an idle filler before the end
        makeTelegram("LUG", "00123456", 0x02, 0x02,
                     {0x9A, 0x00, hex("04 03 40 E2 01 00 04 2B 5E 01 00 00 2F 2F"), nullptr}, 0x81),
    };
    return set;
}

} // namespace tovan::modsim
