// What a second-family console shows of a meter's records with "Parse RX data" on: a second
// block under the decoded header, in the decoded colour, one line a record, in the window's
// single-byte characters; encrypted meters read with the keys the console was given.
#include "core/console/ConsoleTraffic.h"
#include "tests/support/ConsoleHarness.h"

#include <gtest/gtest.h>

using namespace tovan;
using test::ConsoleHarness;

namespace {

// Telegrams of the simulator: a heat meter, and the water meter that encrypts (mode 5).
const char* const HEAT = "31 44 97 26 88 77 66 55 33 04 7A 77 00 00 00 04 06 D2 04 00 00 44 06 E8 "
                         "03 00 00 42 6C 5E 3B 04 13 F1 D4 00 00 02 2D 0F 00 02 5A C4 01 02 5E 2C "
                         "01 10";
const char* const WATER = "2F 44 2D 2C 67 45 23 71 1B 07 7A 21 00 20 05 13 BA F1 62 15 50 EB C3 65 "
                          "CE 03 72 53 72 B2 38 9A B6 2A 17 15 44 22 96 F2 29 2A BF AE D8 C5 82 2A";
const char* const WATER_KEY = "4B414D2D53494D2D4B45592D30303031";

struct Console {
    ConsoleHarness harness{ModuleFamily::VM77};
    ConsoleState state;
    ConsoleLogging logging{harness, harness,
                           [this](std::function<void()> task) { harness.loop.post(task); }};
    ConsoleTraffic traffic{ModuleFamily::VM77, state, harness, logging};

    // The block under the telegram's time line.
    std::string decodedBlock(const char* telegram) {
        harness.takeLines();
        traffic.showTestTelegram(telegram, {});
        const auto lines = harness.takeLines();
        return lines.size() == 3 && lines[1].colour == traffic::DECODED_COLOUR ? lines[1].text
                                                                               : "(no block)";
    }
};

} // namespace

TEST(ConsoleRecords, ShowRecordsUnderTheDecodedHeaderInTheWindowsCharacters) {
    Console console;
    console.state.parseRx = true;
    const std::string block = console.decodedBlock(HEAT);
    EXPECT_EQ(block.substr(block.find("RSSI")),
              "RSSI: -66 dBm\r\n"
              "CI 7A (response), access 119, no error\r\n"
              "Energy 1.234 MWh\r\n"
              "Energy 1.000 MWh (storage 1, 2026-11-30)\r\n"
              "Date 2026-11-30 (storage 1)\r\n"
              "Volume 54.513 m3\r\n"
              "Power 1.5 kW\r\n"
              "Flow temperature 45.2 \xB0"
              "C\r\n" // the degree sign as one Latin-1 byte
              "Return temperature 30.0 \xB0"
              "C\r\n");
    EXPECT_EQ(block.find("\xC2"), std::string::npos);

    console.state.parseRx = false; // the plain entry: no block at all
    console.harness.takeLines();
    console.traffic.showTestTelegram(HEAT, {});
    EXPECT_EQ(console.harness.takeLines().size(), 1u);
}

TEST(ConsoleRecords, DecryptWithTheConsolesKeysAndNeverShowThem) {
    Console console;
    console.state.parseRx = true;
    std::string block = console.decodedBlock(WATER);
    EXPECT_NE(block.find("encrypted (security mode 5), no key for meter 71234567\r\n"),
              std::string::npos);
    EXPECT_EQ(block.find("Volume"), std::string::npos);

    MeterKeys keys;
    AesKey key{};
    ASSERT_TRUE(MeterKeys::parseKey(WATER_KEY, key));
    keys.set("71234567", key);
    console.traffic.setMeterKeys(keys);
    block = console.decodedBlock(WATER);
    EXPECT_NE(block.find("security mode 5 (2 encrypted blocks), decrypted\r\n"
                         "Volume 12.345 m3\r\nVolume 11.020 m3 (storage 1, 2026-11-30)\r\n"),
              std::string::npos);
    EXPECT_EQ(block.find("4B414D"), std::string::npos);
    EXPECT_EQ(block.find("4B 41 4D"), std::string::npos);
}
