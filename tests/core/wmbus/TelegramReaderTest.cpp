// Telegrams whose contents are published, read as a VM77 module passes them on (a
// signal-strength byte after the telegram): plain, encrypted with each security mode, decrypted
// by the receiver, compact; and what happens without the right key or with bytes missing.
#include "core/wmbus/TelegramReader.h"

#include "core/frames/HexInput.h"
#include "core/wmbus/ReadingJson.h"
#include "core/wmbus/RecordText.h"
#include "core/wmbus/TelegramCipher.h"
#include "core/wmbus/TelegramCrc.h"

#include <gtest/gtest.h>

using namespace tovan;
using Lines = std::vector<std::string>;

namespace {

// EN 13757-3:2003 Annex P (Table P.1) and Open Metering System Volume 2, Annex N: an Elster
// gas meter 12345678 reading 28504.27 m3 on 2008-05-31 at 23:50, no errors.
const char* const PLAIN = "2E4493157856341233037A2A0000002F2F0C1427048502046D32371F1502FD17000"
                          "02F2F2F2F2F2F2F2F2F2F2F2F2F";
// The same, encrypted with security mode 5 and the key below (OMS Volume 2, Annex N).
const char* const MODE5 = "2E4493157856341233037A2A0020255923C95AAA26D1B2E7493B013EC4A6F6D3529B"
                          "520EDFF0EA6DEFC99D6D69EBF3";
const char* const MODE5_KEY = "0102030405060708090A0B0C0D0E0F11";
// The same with security mode 7 behind an extended link layer and an authentication layer
// with message counter 2739, key below (OMS Volume 2, Annex N).
const char* const MODE7 = "434493157856341233038C2075900F002C25B30A000021924D4F2FB66E017A7500200"
                          "7109058475F4BC91DF878B80A1B0F98B629024AAC727942BFC549233C0140829B93";
const char* const MODE7_KEY = "000102030405060708090A0B0C0D0E0F";
// A Kamstrup water meter 63452869 whose extended link layer is AES-128-CTR encrypted, with its
// key, as published in the test suite of the open-source wireless-mbus-parser.
const char* const ELL = "24442D2C692845631B168D3050209CD621B006B1140AEF4953AE5B86FAFC0B00E70705"
                        "B846";
const char* const ELL_KEY = "4E5508544202058100DFEFA06B0934A5";
// A Kamstrup heat meter 60723506 (same source): a full frame and a compact frame of its format
// 82DD, both decrypted by the receiver (the extended link layer says AES-CTR, its payload CRC
// matches the plain bytes).
const char* const FULL = "5C442D2C06357260190C8D207B70032F21271D7802F9FF15011104061765000004EEFF"
                         "07BFA8000004EEFF08D24F00000414B1FB000002FD170000026CE919426CFF184406F7"
                         "6400004414E8FA0000043B0B0000000259DB11025D1C0B";
const char* const COMPACT = "3F442D2C06357260190C8D207C71032F21255C79DD829283011117650000BFA8000"
                            "0D24F0000B1FB00000000E919FF18F7640000E8FA00000B000000DB111C0B";

const Lines GAS_RECORDS = {"Volume 28504.27 m3", "Date and time 2008-05-31 23:50",
                           "Error flags 0000"};

std::vector<std::uint8_t> frame(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(parseHexInput(hex + "22", bytes)) << hex;
    return bytes;
}

MeterKeys keyFor(const char* meter, const char* hex) {
    MeterKeys keys;
    AesKey key{};
    EXPECT_TRUE(MeterKeys::parseKey(hex, key));
    keys.set(meter, key);
    return keys;
}

Lines records(const TelegramReading& reading) {
    Lines lines = RecordText::lines(reading);
    if (!lines.empty())
        lines.erase(lines.begin()); // the layers
    return lines;
}

// The payload CRC of an extended link layer (CI at byte 10) made to match its bytes again.
void fixPayloadCrc(std::vector<std::uint8_t>& bytes) {
    const std::uint16_t crc = telegramCrc(ByteView(bytes).sub(19, bytes.size() - 20));
    bytes[17] = static_cast<std::uint8_t>(crc);
    bytes[18] = static_cast<std::uint8_t>(crc >> 8);
}

} // namespace

TEST(TelegramReader, ReadsThePublishedExamplesPlainAndInEachSecurityMode) {
    TelegramReader reader;
    TelegramReading plain = reader.read(frame(PLAIN));
    EXPECT_EQ(RecordText::lines(plain).front(), "CI 7A (response), access 42, no error");
    EXPECT_EQ(records(plain), GAS_RECORDS);
    EXPECT_EQ(plain.security, Security::None);

    reader.setKeys(keyFor("12345678", MODE5_KEY));
    const TelegramReading mode5 = reader.read(frame(MODE5));
    EXPECT_EQ(RecordText::lines(mode5).front(),
              "CI 7A (response), access 42, no error, security mode 5 (2 encrypted blocks), "
              "decrypted");
    EXPECT_EQ(records(mode5), GAS_RECORDS);

    reader.setKeys(keyFor("12345678", MODE7_KEY));
    const TelegramReading mode7 = reader.read(frame(MODE7));
    EXPECT_EQ(RecordText::lines(mode7).front(),
              "extended link layer 8C, access 117; authentication layer, message counter 2739; "
              "CI 7A (response), access 117, no error, security mode 7 (2 encrypted blocks), "
              "decrypted");
    EXPECT_EQ(records(mode7), GAS_RECORDS);

    reader.setKeys(keyFor("63452869", ELL_KEY));
    const TelegramReading ell = reader.read(frame(ELL));
    EXPECT_EQ(RecordText::lines(ell),
              (Lines{"extended link layer 8D, access 80, AES-128-CTR; CI 78 (response), decrypted",
                     "Manufacturer-specific VIF 00 00", "Volume 474.240 m3",
                     "Volume 473.247 m3 (storage 1)"}));

    TelegramFields fields;
    fields.manufacturer = "ELS";
    EXPECT_EQ(ReadingJson::line(fields, mode5),
              "{\"manufacturer\":\"ELS\",\"manufacturer_name\":\"\",\"identification\":\"\","
              "\"version\":\"\",\"device_type\":\"\",\"device_text\":\"\",\"rssi_dbm\":0,"
              "\"ci\":\"7A\",\"access_number\":42,\"status\":\"no error\",\"security_mode\":5,"
              "\"decrypted\":true,\"records\":[{\"text\":\"Volume\",\"value\":28504.27,\"unit\":"
              "\"m3\",\"function\":\"instantaneous\",\"storage\":0,\"tariff\":0,\"subunit\":0,"
              "\"dif\":\"0C\",\"vif\":\"14\"},{\"text\":\"Date and time\",\"value\":"
              "\"2008-05-31 23:50\",\"unit\":\"\",\"function\":\"instantaneous\",\"storage\":0,"
              "\"tariff\":0,\"subunit\":0,\"dif\":\"04\",\"vif\":\"6D\"},{\"text\":\"Error flags\","
              "\"value\":\"0000\",\"unit\":\"\",\"function\":\"instantaneous\",\"storage\":0,"
              "\"tariff\":0,\"subunit\":0,\"dif\":\"02\",\"vif\":\"FD 17\"}]}");
}

TEST(TelegramReader, WithoutTheRightKeyKeepsTheEncryptedBytesAndShowsNoKey) {
    const std::pair<const char*, const char*> telegrams[] = {
        {MODE5, "encrypted (security mode 5), no key for meter 12345678"},
        {MODE7, "encrypted (security mode 7), no key for meter 12345678"},
        {ELL, "encrypted (extended link layer, AES-128-CTR), no key for meter 63452869"}};
    const char* const wrong = "0102030405060708090A0B0C0D0E0F12";
    for (const auto& [hex, noKey] : telegrams) {
        TelegramReader reader;
        TelegramReading reading = reader.read(frame(hex));
        EXPECT_EQ(reading.error, noKey);
        EXPECT_EQ(reading.security, Security::NoKey);
        EXPECT_TRUE(reading.records.records.empty());

        MeterKeys keys = keyFor("12345678", wrong);
        keys.set("63452869", *keys.find("12345678"));
        reader.setKeys(keys);
        reading = reader.read(frame(hex));
        EXPECT_EQ(reading.error, "cannot decrypt (wrong key?)") << hex;
        EXPECT_EQ(reading.security, Security::WrongKey);
        EXPECT_TRUE(reading.records.records.empty());
        // The bytes kept are the encrypted ones, as they came.
        const std::string telegram = hexText(frame(hex));
        EXPECT_NE(telegram.find(reading.unread), std::string::npos);
        EXPECT_GE(reading.unread.size(), 3 * 16 - 1);
        std::string shown = ReadingJson::line({}, reading);
        for (const std::string& line : RecordText::lines(reading))
            shown += line;
        EXPECT_EQ(shown.find("0102030405060708090A0B0C0D0E0F12"), std::string::npos);
        EXPECT_EQ(shown.find("01 02 03 04 05 06 07 08"), std::string::npos);
    }
    EXPECT_EQ(MeterKeys::masked(AesKey{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0x12}),
              "****************************0F12");
}

TEST(TelegramReader, TakesWhatTheReceiverDecryptedAsPlain) {
    TelegramReader reader; // no keys at all
    // Mode 5 in the configuration word, yet the payload starts with 2F 2F.
    std::string plainMode5 = PLAIN;
    plainMode5.replace(plainMode5.find("7A2A000000"), 10, "7A2A002025");
    TelegramReading reading = reader.read(frame(plainMode5));
    EXPECT_EQ(reading.security, Security::ByReceiver);
    EXPECT_EQ(RecordText::lines(reading).front(),
              "CI 7A (response), access 42, no error, security mode 5 (2 encrypted blocks), "
              "decrypted by the receiver");
    EXPECT_EQ(records(reading), GAS_RECORDS);

    reading = reader.read(frame(FULL)); // the extended link layer's CRC matches the plain bytes
    EXPECT_EQ(reading.security, Security::ByReceiver);
    EXPECT_EQ(records(reading).size(), 13u);
}

TEST(TelegramReader, ReadsCompactFramesWithTheFormatOfAnEarlierFullFrameOfTheSameMeter) {
    TelegramReader reader;
    TelegramReading compact = reader.read(frame(COMPACT));
    EXPECT_EQ(compact.error, "compact frame: format 82DD not seen yet");
    EXPECT_EQ(compact.unread.substr(0, 11), "01 11 17 65");
    EXPECT_TRUE(compact.records.records.empty());

    const Lines full = records(reader.read(frame(FULL)));
    ASSERT_EQ(full.size(), 13u);
    EXPECT_EQ(full[1], "Energy 25.879 MWh");
    EXPECT_EQ(full[8], "Energy 25.847 MWh (storage 1, 2015-08-31)");
    EXPECT_EQ(full[11], "Flow temperature 45.71 \xC2\xB0"
                        "C");
    compact = reader.read(frame(COMPACT));
    EXPECT_TRUE(compact.error.empty()) << compact.error;
    EXPECT_EQ(records(compact), full);
    EXPECT_EQ(RecordText::lines(compact).front(),
              "extended link layer 8D, access 124, AES-128-CTR; CI 79 (compact frame), format "
              "82DD, decrypted by the receiver");

    // Values that do not fit the format's frame CRC are not shown.
    std::vector<std::uint8_t> altered = frame(COMPACT);
    altered[24] ^= 0x01;
    fixPayloadCrc(altered);
    EXPECT_EQ(reader.read(altered).error, "compact frame: the values do not fit format 82DD");
    // Another meter's format is its own.
    std::vector<std::uint8_t> other = frame(COMPACT);
    other[4] = 0x07;
    EXPECT_EQ(reader.read(other).error, "compact frame: format 82DD not seen yet");
}

// A repeater's link layer in front of a long transport header: the key and the IV are those
// of the meter the header names (built from the tables with the mode 5 rules).
TEST(TelegramReader, LongHeaderNamesTheMeterWhoseKeyDecrypts) {
    std::vector<std::uint8_t> plain;
    parseHexInput("2F2F0C1427048502046D32371F1502FD1700002F2F2F2F2F2F2F2F2F2F2F2F2F", plain);
    AesKey key{};
    MeterKeys::parseKey(MODE5_KEY, key);
    AesBlock iv{0x93, 0x15, 0x78, 0x56, 0x34, 0x12, 0x33, 0x03};
    std::fill(iv.begin() + 8, iv.end(), 0x2A);
    std::vector<std::uint8_t> encrypted(plain.size());
    ASSERT_TRUE(TelegramCipher::encryptCbc(key, iv, ByteView(plain), encrypted.data()));
    const std::string hex =
        "3A44A511999999990137727856341293153303 2A 00 20 25" + hexText(encrypted);
    TelegramReader reader;
    reader.setKeys(keyFor("12345678", MODE5_KEY));
    const TelegramReading reading = reader.read(frame(hex));
    EXPECT_EQ(reading.meterId, "12345678");
    EXPECT_EQ(records(reading), GAS_RECORDS);
}

TEST(TelegramReader, CutTelegramsNeverGiveAValueTheFullOneDoesNotHave) {
    const char* const heat = "2C44A7320613996707047A821000202F2F0C06000000000C14000000000C2222410"
                             "1000B5A4102000B5E4000F0"; // Landis+Gyr 67991306, published likewise
    TelegramReader reader;
    reader.setKeys(keyFor("12345678", MODE5_KEY));
    for (const char* hex : {PLAIN, heat, MODE5, FULL}) {
        const std::vector<std::uint8_t> whole = frame(hex);
        const Lines all = RecordText::lines(reader.read(whole));
        for (std::size_t size = 0; size < whole.size(); ++size) {
            std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + size);
            cut.push_back(0x22);
            const TelegramReading reading = reader.read(cut);
            const Lines lines = RecordText::lines(reading);
            for (std::size_t i = 1; i < lines.size() && i < all.size(); ++i) {
                const bool record =
                    lines[i].rfind("Records end", 0) != 0 && lines[i] != reading.error;
                EXPECT_TRUE(!record || lines[i] == all[i])
                    << hex << " cut to " << size << ": " << lines[i];
            }
        }
    }
    EXPECT_EQ(records(reader.read(frame(heat))),
              (Lines{"Energy 0.000 MWh", "Volume 0.00 m3", "On time 14122 h",
                     "Flow temperature 24.1 \xC2\xB0"
                     "C",
                     "Return temperature -4.0 \xC2\xB0"
                     "C"}));
    EXPECT_EQ(reader.read(frame("2C44A732061399670704")).error,
              "too short for a telegram with a CI field");
}

TEST(TelegramReader, NamesCisItKeepsAsHex) {
    TelegramReader reader;
    EXPECT_EQ(RecordText::lines(reader.read(frame("1044A732061399670704A2010203"))),
              (Lines{"CI A2 (manufacturer-specific)", "manufacturer-specific data: 01 02 03"}));
    EXPECT_EQ(RecordText::lines(reader.read(frame("1044A7320613996707047405140000 01"))),
              (Lines{"CI 74 (alarm), access 5, power low, temporary error", "alarm data: 01"}));
}
