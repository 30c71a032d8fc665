// Telegrams per second decoded with their records on one core, as a console with "Parse RX
// data" on decodes them: the layers, decryption and records, written as the lines under the
// header block; alone, and with the header block (whose manufacturer table is checked for
// edits at every decode). Published telegrams of each kind: plain, security mode 5, mode 7, the
// extended link layer's AES-CTR, a full and a compact frame.
#include "core/frames/HexInput.h"
#include "core/wmbus/CTelegramDecoder.h"
#include "core/wmbus/RecordText.h"
#include "core/wmbus/TelegramReader.h"

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

using namespace tovan;

namespace {

struct Sample {
    const char* name;
    const char* hex;
};

const Sample SAMPLES[] = {
    {"plain, 5 records (heat meter)", "2C44A7320613996707047A821000202F2F0C06000000000C14000000000C"
                                      "22224101000B5A4102000B5E4000F022"},
    {"security mode 5", "2E4493157856341233037A2A0020255923C95AAA26D1B2E7493B013EC4A6F6D3529B520ED"
                        "FF0EA6DEFC99D6D69EBF322"},
    {"security mode 7", "434493157856341233038C2075900F002C25B30A000021924D4F2FB66E017A75002007109"
                        "058475F4BC91DF878B80A1B0F98B629024AAC727942BFC549233C0140829B9322"},
    {"extended link layer AES-CTR", "24442D2C692845631B168D3050209CD621B006B1140AEF4953AE5B86FAF"
                                    "C0B00E70705B84622"},
    {"full frame, 13 records", "5C442D2C06357260190C8D207B70032F21271D7802F9FF15011104061765000004"
                               "EEFF07BFA8000004EEFF08D24F00000414B1FB000002FD170000026CE919426CFF"
                               "184406F76400004414E8FA0000043B0B0000000259DB11025D1C0B22"},
    {"compact frame, 13 records", "3F442D2C06357260190C8D207C71032F21255C79DD829283011117650000BF"
                                  "A80000D24F0000B1FB00000000E919FF18F7640000E8FA00000B000000DB11"
                                  "1C0B22"},
};

// The processor time of this thread: the figures hold on a machine busy with other work.
double processorSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

MeterKeys benchKeys() {
    MeterKeys keys;
    AesKey key{};
    MeterKeys::parseKey("0102030405060708090A0B0C0D0E0F11", key);
    keys.set("12345678", key); // mode 5; mode 7 is then read with a wrong key, as often
    MeterKeys::parseKey("4E5508544202058100DFEFA06B0934A5", key);
    keys.set("63452869", key);
    return keys;
}

// Decodes the frames in turn for about `seconds`; telegrams per second.
// `full` is read first, so that the reader knows the compact frame's format.
double rate(const std::vector<std::vector<std::uint8_t>>& frames,
            const std::vector<std::string>& texts, const std::vector<std::uint8_t>& full,
            bool withHeader, double seconds) {
    const CTelegramDecoder decoder;
    TelegramReader reader;
    reader.setKeys(benchKeys());
    reader.read(full);
    std::size_t count = 0;
    std::size_t bytes = 0;
    const double start = processorSeconds();
    while (processorSeconds() < start + seconds) {
        for (int round = 0; round < 100; ++round) {
            for (std::size_t i = 0; i < frames.size(); ++i, ++count) {
                if (withHeader)
                    bytes += decoder.Decode(texts[i]).size();
                bytes += RecordText::consoleBlock(reader.read(frames[i])).size();
            }
        }
    }
    const double elapsed = processorSeconds() - start;
    return bytes > 0 ? static_cast<double>(count) / elapsed : 0.0;
}

} // namespace

int main() {
    std::vector<std::vector<std::uint8_t>> all;
    std::vector<std::string> allTexts;
    for (const Sample& sample : SAMPLES) {
        std::vector<std::uint8_t> frame;
        parseHexInput(sample.hex, frame);
        std::string text;
        CHexCodec().BytesToHex(frame.data(), frame.size(), text);
        all.push_back(frame);
        allTexts.push_back(text);
    }
    const std::vector<std::uint8_t>& full = all[4];
    std::printf("%-32s %14s %16s\n", "telegrams per processor second", "records alone",
                "with the header");
    for (std::size_t i = 0; i < all.size(); ++i)
        std::printf("%-32s %14.0f %16.0f\n", SAMPLES[i].name,
                    rate({all[i]}, {allTexts[i]}, full, false, 1.0),
                    rate({all[i]}, {allTexts[i]}, full, true, 1.0));
    std::printf("%-32s %14.0f %16.0f\n", "all six in turn", rate(all, allTexts, full, false, 2.0),
                rate(all, allTexts, full, true, 2.0));
    return 0;
}
