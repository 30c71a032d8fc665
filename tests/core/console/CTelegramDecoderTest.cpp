#include "console/CTelegramDecoder.h"

#include "console/TestTelegrams.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;
using tovan::CTelegramDecoder;
using tovan::ManufacturerTable;

namespace {

// A scratch folder with a table of our own and a shipped table to fall back on.
class DecoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tovan-decoder-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_local = (m_dir / "mbus.cfg").string();
        m_shipped = (m_dir / "shipped.cfg").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    static void write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    CTelegramDecoder decoder() const {
        return CTelegramDecoder(ManufacturerTable(m_local, {m_shipped}));
    }
    // The manufacturer line of the block for the M-field bytes 43 04 (code ABC).
    std::string nameLine(CTelegramDecoder& decoder) const {
        const std::string block = decoder.Decode(telegram("43 04", "07", "22"));
        return block.substr(2, block.find("\r\n", 2) - 2);
    }
    // A telegram with the given M-field, device type and signal-strength bytes.
    static std::string telegram(const std::string& mField, const std::string& type,
                                const std::string& strength) {
        return "2C 44 " + mField + " 78 56 34 12 01 " + type + " 7A 00 " + strength;
    }

    fs::path m_dir;
    std::string m_local;
    std::string m_shipped;
};

} // namespace

TEST_F(DecoderTest, TellsTelegramsFromCommandFramesAndShortTexts) {
    CTelegramDecoder d = decoder();
    const std::string thirty = "2C 44 43 04 78 56 34 12 01 07 ";
    ASSERT_EQ(thirty.size(), 30u);
    EXPECT_TRUE(d.IsTelegram(thirty));
    EXPECT_FALSE(d.IsTelegram(thirty.substr(0, 29)));
    EXPECT_FALSE(d.IsTelegram("FF" + thirty));
    EXPECT_FALSE(d.IsTelegram("FF 01"));
    EXPECT_TRUE(d.IsTelegram("FE" + thirty));
    EXPECT_EQ(d.Decode("2C 44 43 04"), ""); // too short to read: nothing, not a crash
}

TEST_F(DecoderTest, DecodesTheWholeBlockExactly) {
    write(m_local, "ABC\tAlpha Beta Meters\r\n");
    CTelegramDecoder d = decoder();
    EXPECT_EQ(d.Decode(telegram("43 04", "07", "22")), "\r\nABC  Alpha Beta Meters\r\n"
                                                       "Identification:  12345678\r\n"
                                                       "Device type:  07  Water meter\r\n"
                                                       "RSSI: -57 dBm\r\n");
    EXPECT_EQ(d.Decode(telegram("00 00", "07", "22")).substr(0, 7), "\r\n@@@  ");
}

TEST_F(DecoderTest, NamesDeviceTypesBelowTenOnly) {
    CTelegramDecoder d = decoder();
    auto typeLine = [&](const std::string& type) {
        const std::string block = d.Decode(telegram("43 04", type, "22"));
        const std::size_t start = block.find("Device type:  ") + 14;
        return block.substr(start, block.find("\r\n", start) - start);
    };
    EXPECT_EQ(typeLine("03"), "03  Gas meter");
    EXPECT_EQ(typeLine("04"), "04  Heat meter");
    EXPECT_EQ(typeLine("08"), "08  Heat cost allocator");
    EXPECT_EQ(typeLine("05"), "05");
    EXPECT_EQ(typeLine("0A"), "0A");
    EXPECT_EQ(typeLine("37"), "37");
}

TEST_F(DecoderTest, ConvertsSignalStrengthTruncatingTowardZero) {
    CTelegramDecoder d = decoder();
    const std::pair<const char*, const char*> cases[] = {
        {"00", "-74"}, {"22", "-57"}, {"7F", "-11"}, {"80", "-138"}, {"81", "-137"}, {"FF", "-74"},
    };
    for (const auto& [strength, dbm] : cases) {
        const std::string block = d.Decode(telegram("43 04", "07", strength));
        EXPECT_NE(block.find(std::string("\r\nRSSI: ") + dbm + " dBm\r\n"), std::string::npos)
            << strength;
    }
}

TEST_F(DecoderTest, FindsNamesByTheTableRules) {
    CTelegramDecoder d = decoder();
    write(m_local, "ABB\tOther\nABC   Spaced Name\n");
    EXPECT_EQ(nameLine(d), "ABC  Spaced Name");
    write(m_local, "ABC!\t !Bang Name  \n");
    EXPECT_EQ(nameLine(d), "ABC  Bang Name  ");
    write(m_local, "ABC    \nABC\tSecond\n"); // the first line with the code decides
    EXPECT_EQ(nameLine(d), "ABC  ");
    write(m_local, "AAA\tFirst\n\nABC\tAfter the gap\n"); // an empty line ends the search
    EXPECT_EQ(nameLine(d), "ABC  ");
    write(m_local, "AAA\tFirst\nABC\tLast line without end");
    EXPECT_EQ(nameLine(d), "ABC  Last line without end");
    write(m_local, "ABC\t" + std::string(2000, 'n') + "\nABD\tNext\n");
    EXPECT_EQ(nameLine(d), "ABC  " + std::string(ManufacturerTable::MAX_LINE - 4, 'n'));
}

TEST_F(DecoderTest, PrefersTheNamedTableThenTheShippedOneAndSeesEveryEdit) {
    CTelegramDecoder d = decoder();
    EXPECT_EQ(nameLine(d), "ABC  "); // no table at all
    write(m_shipped, "ABC\tShipped\n");
    EXPECT_EQ(nameLine(d), "ABC  Shipped");
    write(m_local, "ABC\tLocal one\n");
    EXPECT_EQ(nameLine(d), "ABC  Local one");
    // Same size, rewritten at once: the next decode still shows it.
    for (char letter : {'A', 'B', 'C', 'D'}) {
        write(m_local, std::string("ABC\tLocal ") + letter + "ne\n");
        EXPECT_EQ(nameLine(d), std::string("ABC  Local ") + letter + "ne");
    }
    write(m_dir / "new.cfg", "ABC\tReplaced\n");
    fs::rename(m_dir / "new.cfg", m_local);
    EXPECT_EQ(nameLine(d), "ABC  Replaced");
    fs::remove(m_local);
    EXPECT_EQ(nameLine(d), "ABC  Shipped");
}

TEST_F(DecoderTest, LooksForTheDefaultNameInTheCurrentFolder) {
    write(m_local, "ABC\tFrom the working folder\n");
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir);
    CTelegramDecoder d(ManufacturerTable("mbus.cfg", {}));
    const std::string line = nameLine(d);
    fs::current_path(previous);
    EXPECT_EQ(line, "ABC  From the working folder");
}

TEST_F(DecoderTest, DecodesTheSampleTelegrams) {
    write(m_local, "FLO\tFlonidan A/S\nESY\tEasyMeter GmbH\n");
    CTelegramDecoder d = decoder();
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
        const std::string_view text = tovan::testTelegram(i);
        EXPECT_EQ(text.size(), lengths[i]);
        EXPECT_TRUE(d.IsTelegram(text));
        EXPECT_EQ(d.Decode(text), expected[i]);
    }
}
