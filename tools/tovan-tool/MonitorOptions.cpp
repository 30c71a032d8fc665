#include "tools/tovan-tool/MonitorOptions.h"

#include "core/frames/CHexCodec.h"
#include "core/frames/FrameLayout.h"
#include "core/frames/HexInput.h"

namespace tovan::tool {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string hexOf(Bytes::const_iterator first, Bytes::const_iterator last) {
    std::string text;
    if (first != last)
        CHexCodec().BytesToHex(&*first, static_cast<std::size_t>(last - first), text);
    return text;
}

// "C1 C2 DATA..." (first family) or "CMD DATA..." (second family) made a whole frame, length
// and checksum computed from the field texts as the composer computes them.
bool composeFrame(ModuleFamily family, const Bytes& fields, Bytes& frame, std::string& error) {
    const std::size_t commandBytes = family == ModuleFamily::VX31 ? 2 : 1;
    if (fields.size() < commandBytes) {
        error = family == ModuleFamily::VX31 ? "needs the two command bytes C1 C2, then the data"
                                             : "needs the command byte CMD, then the data";
        return false;
    }
    if (fields.size() - commandBytes > frame::MAX_DATA_BYTES) {
        error = "has " + std::to_string(fields.size() - commandBytes) +
                " data bytes; a frame holds at most " + std::to_string(frame::MAX_DATA_BYTES);
        return false;
    }
    const auto dataStart = fields.begin() + static_cast<long>(commandBytes);
    const std::string command = hexOf(fields.begin(), dataStart);
    const std::string data = hexOf(dataStart, fields.end());
    if (family == ModuleFamily::VX31) {
        const auto rule = frame::vx31LengthAndChecksum(command, data);
        frame = {frame::VX31_START, rule.length};
        frame.insert(frame.end(), fields.begin(), fields.end());
        frame.push_back(rule.checksum);
    } else {
        const auto rule = frame::vm77LengthAndChecksum(command, data);
        frame = {frame::VM77_START, fields[0], rule.length};
        frame.insert(frame.end(), dataStart, fields.end());
        frame.push_back(rule.checksum);
    }
    return true;
}

// The argument as an error message quotes it: long ones cut, so the reason stays in sight.
std::string quoted(const std::string& text) {
    constexpr std::size_t SHOWN = 40;
    return "\"" + (text.size() <= SHOWN ? text : text.substr(0, SHOWN) + "...") + "\"";
}

} // namespace

std::string familyOption(ModuleFamily family) {
    return family == ModuleFamily::VX31 ? "vx31" : "vm77";
}

bool buildFrames(MonitorOptions& options, std::string& error) {
    options.frames.clear();
    for (const FrameArgument& argument : options.frameArguments) {
        const std::string option = argument.whole ? "--send" : "--frame";
        Bytes bytes;
        if (!parseHexInput(argument.text, bytes)) {
            error = option + " " + quoted(argument.text) +
                    ": not hex text; give bytes as pairs of hex digits, spaces between them "
                    "as you like (\"FE 00 01 02 03\", \"fe00010203\")";
            return false;
        }
        if (!argument.whole) {
            Bytes frame;
            if (!composeFrame(options.family, bytes, frame, error)) {
                error = option + " " + quoted(argument.text) + " " + error;
                return false;
            }
            bytes = std::move(frame);
        }
        options.frames.push_back(std::move(bytes));
    }
    return true;
}

} // namespace tovan::tool
