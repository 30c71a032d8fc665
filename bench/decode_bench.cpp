// Telegrams per second through CTelegramDecoder::Decode with the shipped manufacturer table,
// and proof that an edit of "mbus.cfg" shows in the very next decode.
#include "core/wmbus/CTelegramDecoder.h"
#include "core/wmbus/TestTelegrams.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdlib.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Decodes the sample telegrams in turn for about `seconds`; returns telegrams per second.
double throughput(const tovan::CTelegramDecoder& decoder, double seconds) {
    std::size_t count = 0;
    std::size_t bytes = 0;
    const auto start = Clock::now();
    const auto until = start + std::chrono::duration<double>(seconds);
    while (Clock::now() < until) {
        for (int i = 0; i < 300; ++i, ++count)
            bytes += decoder.Decode(tovan::testTelegram(i % tovan::TEST_TELEGRAM_COUNT)).size();
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    return bytes > 0 ? static_cast<double>(count) / elapsed : 0.0;
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

int main() {
    const auto shippedPaths = tovan::ManufacturerTable::shippedTablePaths();
    if (shippedPaths.empty() || !fs::exists(shippedPaths.front())) {
        std::fprintf(stderr, "no shipped table beside the benchmark\n");
        return 1;
    }
    char pattern[] = "/tmp/tovan-bench-decode-XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    const fs::path folder = pattern;
    fs::current_path(folder);

    const tovan::CTelegramDecoder decoder;
    std::printf("shipped table (none in the working folder): %.0f telegrams/s\n",
                throughput(decoder, 2.0));

    // A copy in the working folder, with the shipped file's time stamp, as a user's copy
    // would have it.
    fs::copy_file(shippedPaths.front(), folder / "mbus.cfg");
    fs::last_write_time(folder / "mbus.cfg", fs::last_write_time(shippedPaths.front()));
    std::printf("table in the working folder:                %.0f telegrams/s\n",
                throughput(decoder, 2.0));

    // Edit the name of sample A's manufacturer, keeping the file's size.
    std::string table = readAll(folder / "mbus.cfg");
    const std::size_t at = table.find("FLO\tFlonidan A/S");
    table.replace(at + 4, 8, "FLONIDAN");
    std::ofstream(folder / "mbus.cfg", std::ios::binary | std::ios::trunc) << table;
    const bool seen =
        decoder.Decode(tovan::testTelegram(0)).find("FLONIDAN A/S") != std::string::npos;
    std::printf("edit visible in the next decode:            %s\n", seen ? "yes" : "NO");
    std::printf("within 3 s of the edit (read every time):   %.0f telegrams/s\n",
                throughput(decoder, 1.0));

    fs::current_path("/");
    fs::remove_all(folder);
    return seen ? 0 : 1;
}
