#include "core/composer/ComposerLoad.h"

#include "core/composer/ComposerRules.h"

namespace tovan::composer {
namespace {

void clearFrameFields(Fields& fields) {
    fields.preamble.clear();
    fields.command.clear();
    fields.length.clear();
    fields.data.clear();
    fields.checksum.clear();
}

// Fixed character positions of a full frame text; `cut` is the text without " CS".
struct Positions {
    const char* preamble;
    std::size_t command, commandCount, length, data;
};
constexpr Positions VX31_POSITIONS{"FE", 6, 5, 3, 12};
constexpr Positions VM77_POSITIONS{"FF", 3, 2, 6, 9};

void splitFullFrame(std::string_view text, const Positions& at, Fields& fields) {
    fields.checksum = std::string(text.substr(text.size() - 2));
    const std::string_view cut = text.substr(0, text.size() - 3);
    fields.preamble = at.preamble;
    fields.length = std::string(mid(cut, at.length, 2));
    fields.command = std::string(mid(cut, at.command, at.commandCount));
    fields.data = std::string(mid(cut, at.data));
}

} // namespace

bool loadVx31(std::string_view text, Fields& fields, std::string& frameText) {
    if (text.empty())
        return false;
    if (text.size() >= 12) {
        frameText = std::string(text);
        splitFullFrame(text, VX31_POSITIONS, fields);
        return true;
    }
    frameText.clear();
    clearFrameFields(fields);
    if (text.size() >= 5) {
        fields.preamble = "FE";
        fields.length = std::string(mid(text, 3, 2));
    }
    return true;
}

bool loadVm77(std::string_view text, Fields& fields, std::string& frameText) {
    if (text.empty())
        return false;
    if (text.front() == '@') {
        frameText = std::string(text);
        clearFrameFields(fields);
        fields.length = std::string(mid(text, 1, 2));
        fields.data = std::string(mid(text, 4));
        return true;
    }
    if (text.size() >= 10) {
        frameText = std::string(text);
        splitFullFrame(text, VM77_POSITIONS, fields);
        return true;
    }
    frameText.clear();
    clearFrameFields(fields);
    if (text.size() >= 5) {
        // Unlike the first family the Length is not taken from the short text.
        fields.preamble = "FF";
        fields.length = "00";
    }
    return true;
}

bool loadFrame(ModuleFamily family, std::string_view text, Fields& fields, std::string& frameText) {
    return family == ModuleFamily::VX31 ? loadVx31(text, fields, frameText)
                                        : loadVm77(text, fields, frameText);
}

} // namespace tovan::composer
