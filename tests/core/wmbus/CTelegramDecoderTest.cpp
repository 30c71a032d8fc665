#include "core/wmbus/CTelegramDecoder.h"

#include "core/wmbus/TestTelegrams.h"
#include "tests/support/ScratchDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using tovan::CTelegramDecoder;
using tovan::ManufacturerTable;

namespace {

// A table of our own ("mbus.cfg") and a shipped one to fall back on, in a scratch folder.
class DecoderTest : public ::testing::Test {
protected:
    tovan::test::ScratchDir m_dir;
    // Looked at on every lookup here, so that an edit shows at once.
    CTelegramDecoder m_decoder{ManufacturerTable(m_dir.path("mbus.cfg"), {m_dir.path("shipped")},
                                                 std::chrono::milliseconds(0))};

    // A telegram with the given M-field, device type and signal-strength bytes.
    static std::string telegram(const std::string& mField, const std::string& type = "07",
                                const std::string& strength = "22") {
        return "2C 44 " + mField + " 78 56 34 12 01 " + type + " 7A 00 " + strength;
    }
    // The line of the block that starts with `start` (without its CR LF).
    std::string line(const std::string& text, const std::string& start) {
        const std::string block = m_decoder.Decode(text);
        const std::size_t at = block.find("\r\n" + start) + 2;
        return block.substr(at, block.find("\r\n", at) - at);
    }
    std::string nameLine() { return line(telegram("43 04"), "ABC"); }
};

} // namespace

TEST_F(DecoderTest, TellsTelegramsFromCommandFramesAndShortTexts) {
    const std::string thirty = "2C 44 43 04 78 56 34 12 01 07 ";
    EXPECT_TRUE(m_decoder.IsTelegram(thirty));
    EXPECT_FALSE(m_decoder.IsTelegram(thirty.substr(0, 29)));
    EXPECT_FALSE(m_decoder.IsTelegram("FF" + thirty));
    EXPECT_TRUE(m_decoder.IsTelegram("FE" + thirty));
    EXPECT_EQ(m_decoder.Decode("2C 44 43 04"), ""); // too short to read: nothing, no crash
}

TEST_F(DecoderTest, DecodesEveryField) {
    m_dir.write("mbus.cfg", "ABC\tAlpha Beta Meters\r\n");
    EXPECT_EQ(m_decoder.Decode(telegram("43 04")), "\r\nABC  Alpha Beta Meters\r\n"
                                                   "Identification:  12345678\r\n"
                                                   "Device type:  07  Water meter\r\n"
                                                   "RSSI: -57 dBm\r\n");
    EXPECT_EQ(line(telegram("00 00"), "@"), "@@@  ");

    // Every assigned code has its text, the first and the last of the table included;
    // reserved codes and those past the table stay bare.
    const std::pair<const char*, const char*> types[] = {{"00", "00  Other"},
                                                         {"02", "02  Electricity meter"},
                                                         {"03", "03  Gas meter"},
                                                         {"06", "06  Warm water meter"},
                                                         {"08", "08  Heat cost allocator"},
                                                         {"16", "16  Cold water meter"},
                                                         {"1F", "1F  Sensor"},
                                                         {"22", "22"},
                                                         {"38", "38  Wired adapter"},
                                                         {"39", "39"},
                                                         {"FF", "FF"}};
    for (const auto& [type, shown] : types)
        EXPECT_EQ(line(telegram("43 04", type), "Device"), std::string("Device type:  ") + shown);

    const std::pair<const char*, const char*> strengths[] = {
        {"00", "-74"}, {"22", "-57"}, {"7F", "-11"}, {"80", "-138"}, {"81", "-137"}, {"FF", "-74"}};
    for (const auto& [strength, dbm] : strengths)
        EXPECT_EQ(line(telegram("43 04", "07", strength), "RSSI"),
                  std::string("RSSI: ") + dbm + " dBm");
}

TEST_F(DecoderTest, FindsNamesByTheTableRules) {
    const std::pair<std::string, std::string> tables[] = {
        {"ABB\tOther\nABC   Spaced Name\n", "Spaced Name"},
        {"ABC!\t !Bang Name  \n", "Bang Name  "},
        {"ABC    \nABC\tSecond\n", ""},                  // the first line with the code decides
        {"AAA\tFirst\n\nABC\tAfter the gap\n", ""},      // an empty line ends the search
        {"AAA\tFirst\nABC\tNo line end", "No line end"}, //
        {"ABC\t" + std::string(2000, 'n') + "\n", std::string(995, 'n')}, // 999 characters
    };
    for (const auto& [table, name] : tables) {
        m_dir.write("mbus.cfg", table);
        EXPECT_EQ(nameLine(), "ABC  " + name) << table;
    }
}

TEST_F(DecoderTest, PrefersItsOwnTableToTheShippedOneAndSeesEveryEdit) {
    EXPECT_EQ(nameLine(), "ABC  "); // no table at all
    m_dir.write("shipped", "ABC\tShipped\n");
    EXPECT_EQ(nameLine(), "ABC  Shipped");
    for (char letter : {'A', 'B', 'C', 'D'}) { // same size, rewritten at once
        m_dir.write("mbus.cfg", std::string("ABC\tLocal ") + letter + "\n");
        EXPECT_EQ(nameLine(), std::string("ABC  Local ") + letter);
    }
    std::filesystem::rename(m_dir.write("new", "ABC\tReplaced\n"), m_dir.path("mbus.cfg"));
    EXPECT_EQ(nameLine(), "ABC  Replaced");
    std::filesystem::remove(m_dir.path("mbus.cfg"));
    EXPECT_EQ(nameLine(), "ABC  Shipped");
}

// A flood decodes thousands of telegrams a second: the table file is looked at again only once
// its check interval has passed.
TEST_F(DecoderTest, LooksAtTheTableAgainOnlyAfterItsInterval) {
    m_dir.write("mbus.cfg", "ABC\tFirst\n");
    CTelegramDecoder decoder(
        ManufacturerTable(m_dir.path("mbus.cfg"), {}, std::chrono::milliseconds(1500)));
    EXPECT_EQ(decoder.Decode(telegram("43 04")).substr(0, 14), "\r\nABC  First\r\n");
    m_dir.write("mbus.cfg", "ABC\tSecond\n");
    EXPECT_EQ(decoder.Decode(telegram("43 04")).substr(0, 14), "\r\nABC  First\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(1600));
    EXPECT_EQ(decoder.Decode(telegram("43 04")).substr(0, 15), "\r\nABC  Second\r\n");
}

TEST_F(DecoderTest, LooksForTheDefaultNameInTheWorkingFolder) {
    m_dir.write("mbus.cfg", "ABC\tFrom the working folder\n");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.path());
    CTelegramDecoder decoder(ManufacturerTable("mbus.cfg", {}, std::chrono::milliseconds(0)));
    const std::string block = decoder.Decode(telegram("43 04"));
    std::filesystem::current_path(previous);
    EXPECT_EQ(block.substr(0, 32), "\r\nABC  From the working folder\r\n");
}

TEST_F(DecoderTest, DecodesTheSampleTelegrams) {
    m_dir.write("mbus.cfg", "FLO\tFlonidan A/S\nESY\tEasyMeter GmbH\n");
    const char* expected[] = {
        "\r\nFLO  Flonidan A/S\r\nIdentification:  08455113\r\n"
        "Device type:  03  Gas meter\r\nRSSI: -57 dBm\r\n",
        "\r\nFLO  Flonidan A/S\r\nIdentification:  08455113\r\n"
        "Device type:  04  Heat meter\r\nRSSI: -48 dBm\r\n",
        "\r\nESY  EasyMeter GmbH\r\nIdentification:  4062042B\r\n"
        "Device type:  08  Heat cost allocator\r\nRSSI: -64 dBm\r\n",
    };
    const std::size_t lengths[] = {260, 260, 167};
    for (int i = 0; i < tovan::TEST_TELEGRAM_COUNT; ++i) {
        EXPECT_EQ(tovan::testTelegram(i).size(), lengths[i]);
        EXPECT_TRUE(m_decoder.IsTelegram(tovan::testTelegram(i)));
        EXPECT_EQ(m_decoder.Decode(tovan::testTelegram(i)), expected[i]);
    }
}
