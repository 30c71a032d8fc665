#include "core/composer/ComposerSave.h"

#include "core/composer/ComposerRules.h"
#include "core/frames/CHexCodec.h"
#include "core/frames/FrameLayout.h"

#include <array>

namespace tovan::composer {
namespace {

std::string hexByte(std::uint8_t byte) {
    std::string text;
    CHexCodec().BytesToHex(&byte, 1, text);
    return text;
}

SaveOutcome refuse(Notice notice) {
    SaveOutcome outcome;
    outcome.refusal = notice;
    return outcome;
}

// A field with an odd number of digits would have its last digit paired with the next
// field's first one: the frame would differ from what the fields show.
std::optional<Notice> checkDigitPairs(ModuleFamily family, const Fields& fields) {
    for (const Field field : {Field::Command, Field::Data}) {
        const std::string& text = field == Field::Command ? fields.command : fields.data;
        const int digits = hexDigitCount(text);
        if (digits % 2 != 0)
            return Notice{MessageId::OddDigits, field, digits, family == ModuleFamily::VM77};
    }
    return std::nullopt;
}

// Checks the fields as they were read; nothing is built when one is refused.
std::optional<Notice> checkStructure(ModuleFamily family, const Fields& fields) {
    if (auto overLimit = checkFieldLimits(family, fields))
        return overLimit;
    if (hasThreeInARow(fields.command))
        return Notice{MessageId::CorruptCommand, Field::Command};
    if (hasThreeInARow(fields.data))
        return Notice{family == ModuleFamily::VX31 ? MessageId::CorruptDataVx31
                                                   : MessageId::CorruptDataVm77,
                      Field::Data};
    return checkDigitPairs(family, fields);
}

SaveOutcome finish(Fields fields, std::string frameText) {
    if (!fitsFrameArea(frameText))
        return refuse(Notice{MessageId::FrameTooLong, Field::Data});
    SaveOutcome outcome;
    outcome.fields = std::move(fields);
    outcome.frameText = std::move(frameText);
    return outcome;
}

SaveOutcome saveVm77Raw(Fields fields) {
    if (auto overLimit = checkFieldLimits(ModuleFamily::VM77, fields))
        return refuse(*overLimit);
    if (auto odd = checkDigitPairs(ModuleFamily::VM77, fields))
        return refuse(*odd);
    const int n = CHexCodec::HexByteCount(fields.data);
    fields.preamble.clear();
    fields.checksum.clear();
    fields.length = hexByte(static_cast<std::uint8_t>(n));
    std::string frameText = "@" + fields.length + " ";
    if (!fields.data.empty())
        frameText += fields.data;
    return finish(std::move(fields), std::move(frameText));
}

} // namespace

SaveOutcome saveVx31(const Fields& input) {
    if (auto refusal = checkStructure(ModuleFamily::VX31, input))
        return refuse(*refusal);
    Fields fields = input;
    std::string body = fields.command;
    if (!fields.data.empty())
        body += " " + fields.data;

    const frame::LengthAndChecksum rule = frame::vx31LengthAndChecksum(fields.command, fields.data);
    fields.length = hexByte(rule.length);
    fields.checksum = hexByte(rule.checksum);
    std::string frameText =
        fields.preamble + " " + fields.length + " " + body + " " + fields.checksum;
    return finish(std::move(fields), std::move(frameText));
}

SaveOutcome saveVm77(const Fields& input) {
    if (input.command.empty())
        return saveVm77Raw(input);
    if (auto refusal = checkStructure(ModuleFamily::VM77, input))
        return refuse(*refusal);
    Fields fields = input;
    fields.preamble = "FF";
    std::string frameText = "FF " + fields.command;

    const int n = CHexCodec::HexByteCount(fields.data);
    fields.length = hexByte(static_cast<std::uint8_t>(n));
    frameText += " " + fields.length + " ";
    if (n != 0)
        frameText += fields.data + " ";

    // Converted as a whole (every field holds whole bytes by now). A text too long for the
    // area is cut here, and finish() refuses the frame.
    std::array<std::uint8_t, FRAME_AREA_BYTES> area{};
    const CHexCodec codec;
    const int count = codec.HexToBytes(frameText, area.data(), area.size());
    fields.checksum = hexByte(codec.XorChecksum(area.data(), static_cast<std::size_t>(count)));
    frameText += fields.checksum;
    return finish(std::move(fields), std::move(frameText));
}

SaveOutcome saveFrame(ModuleFamily family, const Fields& fields) {
    return family == ModuleFamily::VX31 ? saveVx31(fields) : saveVm77(fields);
}

} // namespace tovan::composer
