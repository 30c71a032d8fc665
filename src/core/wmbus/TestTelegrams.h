#pragma once

#include <string_view>

namespace tovan {

// The three sample telegrams a second-family console can feed itself, as hex text of the raw
// frames a module delivers: length byte first, signal-strength byte last.
constexpr int TEST_TELEGRAM_COUNT = 3;
std::string_view testTelegram(int index);

// The sample that one draw of the pseudo-random generator (0 to 32767) sends: 0 below 10000,
// 1 between 10000 and 20000, 2 above 20000, and -1 (nothing this cycle) for 10000 and 20000.
int chooseTestTelegram(int draw);

} // namespace tovan
