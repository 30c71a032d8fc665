// The packet composer over any field texts: the typed-input check, Save, Load of any stored
// text, Transmit and the period check.
//
// Input: lines. Line 0 holds two control bytes (bit 0 of the first: the second family; bit 1:
// the typed field is Command/Cmd instead of Data; the second: the caret plus 4). Then the
// Preamble, Command/Cmd, Length, Data, Checksum and period fields, and a stored frame text.
#include "core/composer/ComposerLoad.h"
#include "core/composer/ComposerRules.h"
#include "core/composer/ComposerSave.h"
#include "core/composer/PacketComposer.h"
#include "core/frames/CHexCodec.h"
#include "core/serial/FrameAssembler.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <climits>
#include <string>
#include <string_view>
#include <vector>

using namespace tovan;
using namespace tovan::composer;

namespace {

struct Input {
    ModuleFamily family = ModuleFamily::VX31;
    Field typedField = Field::Data;
    int caret = 0;
    Fields fields;
    std::string stored;
};

Input parse(std::string_view text) {
    std::vector<std::string> lines;
    for (;;) {
        const std::size_t end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    lines.resize(8);
    Input in;
    const std::string& control = lines[0];
    const int flags = control.empty() ? 0 : static_cast<unsigned char>(control[0]);
    in.family = (flags & 1) ? ModuleFamily::VM77 : ModuleFamily::VX31;
    in.typedField = (flags & 2) ? Field::Command : Field::Data;
    in.caret = control.size() < 2 ? 0 : static_cast<unsigned char>(control[1]) - 4;
    in.fields = Fields{lines[1], lines[2], lines[3], lines[4], lines[5], lines[6]};
    in.stored = lines[7];
    return in;
}

std::string withoutSpaces(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ')
            out += c;
    return out;
}

void checkTyping(const Input& in) {
    PacketComposer composer(in.family);
    composer.fields() = in.fields;
    const std::string& before = in.typedField == Field::Data ? in.fields.data : in.fields.command;
    const InputCheckResult result = composer.checkTyped(in.typedField, in.caret);
    const std::string& after = result.text;
    FUZZ_CHECK(result.caret >= 0 && static_cast<std::size_t>(result.caret) <= after.size(),
               "the caret stays inside the text");
    FUZZ_CHECK(after.size() + 1 >= before.size() && after.size() <= before.size() + 1,
               "a check removes or inserts at most one character");
    if (after.size() > before.size())
        FUZZ_CHECK(withoutSpaces(after) == withoutSpaces(before), "only a space is inserted");
    if (after.size() < before.size()) {
        const auto caret = std::min<std::size_t>(std::max(in.caret, 0), before.size());
        FUZZ_CHECK(caret > 0 && std::string(before).erase(caret - 1, 1) == after,
                   "only the character before the caret is removed");
    }
    const std::size_t limit = static_cast<std::size_t>(fieldLimit(in.family, in.typedField));
    FUZZ_CHECK(before.size() > limit || after.size() <= limit, "typing never overfills a field");
}

// The bytes of a text when it is nothing but digit pairs and spaces, each field on its own.
bool pairsOnly(std::string_view text) {
    int digits = 0;
    for (char c : text) {
        if (CHexCodec::DigitValue(c) >= 0)
            ++digits;
        else if (c != ' ')
            return false;
    }
    return digits % 2 == 0;
}

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(CHexCodec::HexByteCount(text)));
    CHexCodec().HexToBytes(text, bytes.data(), bytes.size());
    return bytes;
}

// A frame saved from well-formed fields is one the module's own assembler takes whole.
bool wellFormed(ModuleFamily family, const Fields& f) {
    if (!pairsOnly(f.preamble) || !pairsOnly(f.command) || !pairsOnly(f.data))
        return false;
    const std::size_t data = bytesOf(f.data).size();
    const std::size_t command = bytesOf(f.command).size();
    if (family == ModuleFamily::VX31)
        return bytesOf(f.preamble) == std::vector<std::uint8_t>{frame::VX31_START} &&
               command + data >= 2 && command + data - 2 <= frame::MAX_DATA_BYTES;
    if (f.command.empty())
        return data >= 1; // a raw frame of length 0 is not complete on its own
    return command == 1;
}

void checkAssembled(ModuleFamily family, const std::string& frameText) {
    const std::vector<std::uint8_t> bytes = bytesOf(frameText);
    const auto assembler = FrameAssembler::create(family);
    int frames = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!assembler->feed(bytes[i], 0))
            continue;
        ++frames;
        FUZZ_CHECK(i + 1 == bytes.size() && assembler->frameLength() == bytes.size(),
                   "a saved frame is one whole frame");
    }
    FUZZ_CHECK(frames == 1, "a saved frame is received as a frame");
}

bool sameFields(const Fields& a, const Fields& b) {
    return a.preamble == b.preamble && a.command == b.command && a.length == b.length &&
           a.data == b.data && a.checksum == b.checksum && a.period == b.period;
}

void checkSave(const Input& in) {
    PacketComposer composer(in.family);
    composer.fields() = in.fields;
    if (const auto refusal = composer.save()) {
        FUZZ_CHECK(sameFields(composer.fields(), in.fields) && composer.frameText().empty(),
                   "a refused Save changes nothing");
        return;
    }
    const std::string frameText = composer.frameText();
    FUZZ_CHECK(fitsFrameArea(frameText), "a saved frame fits the frame area");
    FUZZ_CHECK(composer.fields().length.size() == 2, "Length is one byte");
    if (!wellFormed(in.family, in.fields))
        return;
    checkAssembled(in.family, frameText);
    // What was stored loads back as the frame Transmit sends.
    PacketComposer loaded(in.family);
    FUZZ_CHECK(loaded.load(frameText) && loaded.frameText() == frameText,
               "a stored frame loads as it was saved");
}

// Edited fields go out as Save would store them, or not at all.
void checkEditedTransmit(const Input& in) {
    PacketComposer composer(in.family);
    composer.fields() = in.fields;
    composer.markEdited();
    if (composer.transmit().has_value())
        return;
    const SaveOutcome saved = saveFrame(in.family, in.fields);
    FUZZ_CHECK(!saved.refusal && saved.frameText == composer.frameText(),
               "edited fields send what Save would store");
}

void checkLoadAndTransmit(const Input& in) {
    PacketComposer composer(in.family);
    composer.fields().period = in.fields.period;
    composer.setPortOpen(true);
    composer.load(in.stored);
    const std::string loadedText = composer.frameText();
    FUZZ_CHECK(loadedText.empty() || loadedText == in.stored, "a load keeps the stored text");
    const bool sent = !composer.transmit().has_value();
    if (!loadedText.empty())
        FUZZ_CHECK(sent == fitsFrameArea(loadedText), "Transmit refuses exactly what does not fit");
    if (sent) {
        const std::string sentText = composer.frameText();
        FUZZ_CHECK(loadedText.empty() || sentText == loadedText,
                   "fields as loaded send the stored frame");
        const std::vector<std::uint8_t> bytes = bytesOf(sentText);
        FUZZ_CHECK(std::equal(bytes.begin(), bytes.end(), composer.transmitBuffer().begin()),
                   "Transmit sends every byte of the text");
    }
    checkEditedTransmit(in);
    const auto periodic = composer.togglePeriodic();
    FUZZ_CHECK(periodic.refusal.has_value() == !composer.periodicActive(),
               "periodic sending starts unless refused");
    FUZZ_CHECK(!composer.periodicActive() || periodic.startMs >= MIN_PERIOD_MS,
               "no period below the minimum runs");
}

void checkPeriodText(std::string_view text) {
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
    }
    const PeriodCheck check = checkPeriod(text);
    FUZZ_CHECK(check.milliseconds == (text.empty() ? 0 : value), "the period is its digits");
    FUZZ_CHECK(check.refusal.has_value() == (text.empty() || value < MIN_PERIOD_MS),
               "a period is refused when missing or too small");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Input in = parse(std::string_view(reinterpret_cast<const char*>(data), size));
    checkTyping(in);
    checkSave(in);
    checkLoadAndTransmit(in);
    checkPeriodText(in.fields.period);
    return 0;
}
