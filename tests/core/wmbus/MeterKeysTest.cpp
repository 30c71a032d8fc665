// The meter key file: what it takes, what it refuses and why, and how it is written.
#include "core/wmbus/MeterKeyFile.h"
#include "tests/support/ScratchDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

using tovan::AesKey;
using tovan::MeterKeyFile;
using tovan::MeterKeys;

namespace {

constexpr const char* KEY = "0102030405060708090A0B0C0D0E0F11";

std::string keyHex(const AesKey& key) {
    std::string hex;
    for (std::uint8_t byte : key) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", byte);
        hex += pair;
    }
    return hex;
}

} // namespace

TEST(MeterKeys, ReadsKeyLinesAndSaysWhichLinesItSkipsWithoutRepeatingThem) {
    MeterKeys keys;
    const auto problems = keys.read("# site A\n"
                                    "12345678 " +
                                    std::string(KEY) +
                                    "\r\n"
                                    "\n"
                                    "  abcdef01\t00112233445566778899aabbccddeeff  \n"
                                    "1234567 00112233445566778899AABBCCDDEEFF\n"
                                    "87654321 SECRETSECRETSECRETSECRETSECRET12\n"
                                    "12345678 00112233445566778899AABBCCDDEEFF");
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].line, 5u);
    EXPECT_EQ(problems[0].reason, "the meter id is not eight hex digits");
    EXPECT_EQ(problems[1].reason, "the key of meter 87654321 is not 32 hex digits");
    EXPECT_EQ(problems[2].reason,
              "meter 12345678 has a key on line 2 already; this later one is used");
    EXPECT_EQ(keys.meterIds(), (std::vector<std::string>{"12345678", "ABCDEF01"}));
    ASSERT_NE(keys.find("AbCdEf01"), nullptr);
    EXPECT_EQ(keyHex(*keys.find("abcdef01")), "00112233445566778899AABBCCDDEEFF");
    EXPECT_EQ(keyHex(*keys.find("12345678")), "00112233445566778899AABBCCDDEEFF");
    EXPECT_EQ(keys.find("87654321"), nullptr);
    EXPECT_EQ(MeterKeys::masked(*keys.find("12345678")), "****************************EEFF");
}

TEST(MeterKeys, FileIsRefusedWhileOthersCouldReadOrWriteIt) {
    tovan::test::ScratchDir dir;
    const std::string path = dir.write("meter-keys", "12345678 " + std::string(KEY) + "\n");
    for (mode_t mode : {0644, 0640, 0620, 0604, 0602}) {
        ::chmod(path.c_str(), mode);
        MeterKeys keys;
        const MeterKeyFile::Result result = MeterKeyFile::load(path, keys);
        EXPECT_FALSE(result.loaded) << std::oct << mode;
        EXPECT_TRUE(keys.empty());
        EXPECT_NE(result.error.find("can be read or written by others"), std::string::npos);
        EXPECT_NE(result.error.find("chmod 600 " + path), std::string::npos);
    }
    ::chmod(path.c_str(), 0600);
    MeterKeys keys;
    EXPECT_TRUE(MeterKeyFile::load(path, keys).loaded);
    EXPECT_EQ(keys.size(), 1u);

    const MeterKeyFile::Result missing = MeterKeyFile::load(dir.path("none"), keys);
    EXPECT_TRUE(missing.missing);
    EXPECT_FALSE(missing.loaded);
    EXPECT_FALSE(MeterKeyFile::load(dir.path(), keys).loaded); // a folder
}

TEST(MeterKeys, WritesTheFileForItsOwnerAloneAndReadsItBack) {
    tovan::test::ScratchDir dir;
    MeterKeys keys;
    AesKey key{};
    ASSERT_TRUE(MeterKeys::parseKey(KEY, key));
    keys.set("12345678", key);
    keys.set("0000abcd", AesKey{});
    const std::string path = dir.path("config/tovan/meter-keys");
    ASSERT_EQ(MeterKeyFile::save(path, keys), 0);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(dir.path("config/tovan").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    dir.write("config/tovan/meter-keys", "stale");
    ::chmod(path.c_str(), 0644);
    ASSERT_EQ(MeterKeyFile::save(path, keys), 0); // replaced, and private again
    MeterKeys back;
    const MeterKeyFile::Result result = MeterKeyFile::load(path, back);
    ASSERT_TRUE(result.loaded) << result.error;
    EXPECT_TRUE(result.problems.empty());
    EXPECT_EQ(back.meterIds(), (std::vector<std::string>{"0000ABCD", "12345678"}));
    EXPECT_EQ(keyHex(*back.find("12345678")), KEY);
    EXPECT_EQ(MeterKeyFile::save(dir.write("file", "x") + "/keys", keys), ENOTDIR);

    ::setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(MeterKeyFile::defaultPath(), "/tmp/xdg/tovan/meter-keys");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(MeterKeyFile::defaultPath(), "/home/someone/.config/tovan/meter-keys");
}
