#pragma once

#include "core/composer/ComposerTexts.h"
#include "core/composer/ComposerTypes.h"

#include <optional>
#include <string_view>

namespace tovan::composer {

// The input limit of a field in the family's form, or NO_LIMIT.
int fieldLimit(ModuleFamily family, Field field);

// The first field, in the order the form is read, that holds more characters than its limit.
std::optional<Notice> checkFieldLimits(ModuleFamily family, const Fields& fields);

// True when some character equals both characters before it ("111", three spaces): the only
// structural test of a field at Save.
bool hasThreeInARow(std::string_view text);

// The hex digits of a field's text (spaces and anything else not counted).
int hexDigitCount(std::string_view text);

// True when the whole text yields no more bytes than the frame area holds.
bool fitsFrameArea(std::string_view frameText);

// The period of periodic sending, read from the leading digits of the field.
struct PeriodCheck {
    std::optional<Notice> refusal;
    int milliseconds = 0;
};
constexpr int MIN_PERIOD_MS = 100;
PeriodCheck checkPeriod(std::string_view text);

// Characters [pos, pos + count) of a text, clipped to the text: empty when pos lies beyond
// it. Stored frame texts may be of any length, so splitting them must never throw.
std::string_view mid(std::string_view text, std::size_t pos,
                     std::size_t count = std::string_view::npos);

} // namespace tovan::composer
