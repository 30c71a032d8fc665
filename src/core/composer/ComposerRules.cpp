#include "core/composer/ComposerRules.h"

#include <cctype>

#include "core/frames/CHexCodec.h"

#include <climits>

namespace tovan::composer {

int fieldLimit(ModuleFamily family, Field field) {
    switch (field) {
    case Field::Data:
        return DATA_LIMIT;
    case Field::Command:
        return family == ModuleFamily::VX31 ? VX31_COMMAND_LIMIT : VM77_COMMAND_LIMIT;
    case Field::Preamble:
    case Field::Length:
    case Field::Checksum:
        return BYTE_FIELD_LIMIT;
    default:
        return NO_LIMIT;
    }
}

std::optional<Notice> checkFieldLimits(ModuleFamily family, const Fields& fields) {
    const std::pair<Field, const std::string*> order[] = {
        {Field::Data, &fields.data},         {Field::Checksum, &fields.checksum},
        {Field::Command, &fields.command},   {Field::Length, &fields.length},
        {Field::Preamble, &fields.preamble},
    };
    for (const auto& [field, text] : order) {
        const int limit = fieldLimit(family, field);
        if (limit != NO_LIMIT && text->size() > static_cast<std::size_t>(limit))
            return Notice{MessageId::FieldTooLong, field, limit};
    }
    return std::nullopt;
}

bool hasThreeInARow(std::string_view text) {
    for (std::size_t i = 2; i < text.size(); ++i)
        if (text[i] == text[i - 1] && text[i] == text[i - 2])
            return true;
    return false;
}

bool fitsFrameArea(std::string_view frameText) {
    return static_cast<std::size_t>(CHexCodec::HexByteCount(frameText)) <= FRAME_AREA_BYTES;
}

PeriodCheck checkPeriod(std::string_view text) {
    PeriodCheck result;
    if (text.empty()) {
        result.refusal = Notice{MessageId::NoPeriod, Field::Period};
        return result;
    }
    // A long run of digits stays at the longest period the timer can hold instead of
    // wrapping around into a short or negative one.
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > INT_MAX)
            value = INT_MAX;
    }
    result.milliseconds = static_cast<int>(value);
    if (result.milliseconds < MIN_PERIOD_MS)
        result.refusal = Notice{MessageId::PeriodTooSmall, Field::Period};
    return result;
}

std::string_view mid(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos >= text.size())
        return {};
    return text.substr(pos, count);
}

int hexDigitCount(std::string_view text) {
    int digits = 0;
    for (const char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            ++digits;
    return digits;
}

} // namespace tovan::composer
