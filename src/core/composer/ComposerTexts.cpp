#include "core/composer/ComposerTexts.h"

namespace tovan::composer {

std::string noticeText(const Notice& notice) {
    switch (notice.id) {
    case MessageId::CorruptCommand:
        return "Corrupt command. Please check the command attribute!";
    case MessageId::CorruptDataVx31:
        return "Corrupt command. Please check the data!";
    case MessageId::CorruptDataVm77:
        return "Corrupt data. Please check the data!";
    case MessageId::InvalidCharacter:
        return "Please enter valid character (0-9, a-f, A-F)";
    case MessageId::NoPeriod:
        return "No period defined";
    case MessageId::PeriodTooSmall:
        return "Period to small. Please choose more than 100 ms";
    case MessageId::FieldTooLong:
        return "Please enter no more than " + std::to_string(notice.limit) + " characters.";
    case MessageId::FrameTooLong:
        return "Frame too long. Please check the data!";
    }
    return {};
}

const char* noticeCaption(MessageId id) {
    switch (id) {
    case MessageId::CorruptCommand:
        return "Error in CMD";
    case MessageId::CorruptDataVx31:
    case MessageId::CorruptDataVm77:
    case MessageId::FrameTooLong:
        return "Error in data";
    default:
        return nullptr;
    }
}

bool noticeIsError(MessageId id) {
    return noticeCaption(id) != nullptr;
}

} // namespace tovan::composer
