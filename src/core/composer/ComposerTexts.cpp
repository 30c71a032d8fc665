#include "core/composer/ComposerTexts.h"

namespace tovan::composer {

namespace {

std::string fieldName(const Notice& notice) {
    if (notice.field == Field::Data)
        return "Data";
    return notice.secondFamily ? "Cmd" : "Command";
}

} // namespace

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
    case MessageId::OddDigits:
        return "The " + fieldName(notice) + " field holds " + std::to_string(notice.limit) +
               " hex digits, an odd number. Every byte needs two digits: please check the " +
               fieldName(notice) + " field.";
    case MessageId::NothingToSend:
        return "Nothing to send. Please enter the command first.";
    }
    return {};
}

const char* noticeCaption(MessageId id) {
    switch (id) {
    case MessageId::CorruptCommand:
    case MessageId::NothingToSend:
        return "Error in CMD";
    case MessageId::CorruptDataVx31:
    case MessageId::CorruptDataVm77:
    case MessageId::FrameTooLong:
    case MessageId::OddDigits:
        return "Error in data";
    default:
        return nullptr;
    }
}

const char* noticeCaption(const Notice& notice) {
    if (notice.id == MessageId::OddDigits && notice.field == Field::Command)
        return "Error in CMD";
    return noticeCaption(notice.id);
}

bool noticeIsError(MessageId id) {
    return noticeCaption(id) != nullptr;
}

} // namespace tovan::composer
