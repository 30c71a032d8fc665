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
    OddDigits,    // a field holds an odd number of hex digits: a byte would lose a digit
    NothingToSend, // Transmit with neither a frame nor a command in the fields
};

struct Notice {
    MessageId id;
    Field field = Field::None; // the field to give the focus to, if any
    int limit = 0;             // the limit for FieldTooLong, the digits for OddDigits
    bool secondFamily = false; // names the Command field "Cmd"
};

// The message text, with the limit filled in where the text asks for it.
std::string noticeText(const Notice& notice);

// The caption of the message box, or nullptr for the application title.
const char* noticeCaption(MessageId id);
// The same, for a notice that names its field.
const char* noticeCaption(const Notice& notice);

// True for the messages shown with the error icon; the others carry the warning icon.
bool noticeIsError(MessageId id);

} // namespace tovan::composer
