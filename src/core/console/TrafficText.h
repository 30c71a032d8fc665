#pragma once

#include "core/frames/ModuleFamily.h"
#include "core/textwnd/TextPos.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace tovan {

class CTelegramDecoder;

// The texts and colours of the traffic window's entries, for both families.
namespace traffic {

constexpr Colour RX_COLOUR = 0x0025C8;      // received entries and their time line
constexpr Colour TX_COLOUR = 0x008B00;      // transmitted entries
constexpr Colour DECODED_COLOUR = 0xCD0000; // the decoded block of a telegram
constexpr Colour BANNER_COLOUR = 0x0000FF;

// The console's first text, in BANNER_COLOUR.
constexpr std::string_view BANNER = "\nTOVAN wireless\nTOVAN Commander V" TOVAN_VERSION "\n \n";

// One AddLine call: the window puts each text on top of what it shows.
struct Part {
    std::string text;
    Colour colour = RX_COLOUR;
};

// What the console shows and logs for one frame.
struct Entry {
    // In the order of the AddLine calls. An entry added in several calls is added last part
    // first, so that it reads in order from the top.
    std::vector<Part> parts;
    // What goes to the communication log; only received entries are logged.
    std::string logText;
    bool logged = false;
};

// A transmitted frame, `hex` as the codec writes it. `characters`, when given, stands beside
// the hex text (the printable characters of the same bytes).
Entry transmitted(ModuleFamily family, std::string_view time, std::string_view hex,
                  std::string_view characters = {});

// A received frame or test telegram. `parser` is the console's decoder while "Parse RX data"
// is on (second family only), else null: a telegram it accepts gets its decoded block, and
// under it, in the same colour, `records` (what the meter says, lines ending in CR LF).
Entry received(ModuleFamily family, std::string_view time, std::string_view hex,
               const CTelegramDecoder* parser, std::string_view characters = {},
               std::string_view records = {});

// The bytes as characters for beside their hex text: printable ASCII as it is, any other byte
// as a dot.
std::string printableCharacters(const std::uint8_t* bytes, std::size_t count);

// The entry as the window reads it from the top, for a terminal: carriage returns dropped,
// without the empty line before it and the line end after it.
std::string readsAs(const Entry& entry);

// The local time of day as hh:mm:ss. Formatting is cached per second: a flood asks for it
// tens of thousands of times a second.
class TimeOfDay {
public:
    const std::string& now();
    static std::string format(std::time_t time);

private:
    std::time_t m_second = -1;
    std::string m_text;
};

} // namespace traffic
} // namespace tovan
