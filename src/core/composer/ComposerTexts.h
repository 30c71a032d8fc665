#pragma once

#include "core/composer/ComposerTypes.h"

#include <string>

namespace tovan::composer {

// The messages the composer shows the user.
enum class MessageId {
    CorruptCommand,   // three equal characters in a row in Command/Cmd
    CorruptDataVx31,  // the same in Data, first family
    CorruptDataVm77,  // the same in Data, second family
    InvalidCharacter, // typed character is no hex digit and no space
    NoPeriod,
    PeriodTooSmall,
    FieldTooLong, // a field holds more characters than its limit
    FrameTooLong, // the frame would not fit the 252-byte frame area
};

struct Notice {
    MessageId id;
    Field field = Field::None; // the field to give the focus to, if any
    int limit = 0;             // the limit for FieldTooLong
};

// The message text, with the limit filled in where the text asks for it.
std::string noticeText(const Notice& notice);

// The caption of the message box, or nullptr for the application title.
const char* noticeCaption(MessageId id);

// True for the messages shown with the error icon; the others carry the warning icon.
bool noticeIsError(MessageId id);

} // namespace tovan::composer
