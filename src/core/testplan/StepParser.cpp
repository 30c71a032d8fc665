#include "core/testplan/StepParser.h"

#include "core/frames/CHexCodec.h"
#include "core/frames/FrameBuilder.h"
#include "core/frames/FrameLayout.h"
#include "core/testplan/CommandPath.h"
#include "core/tree/CommandStore.h"

#include <cctype>
#include <string_view>

namespace tovan {
namespace {

std::string lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

const std::string STEPS =
    "send, send-fields, send-command, expect, wait, repeat, note or stop-on-failure";

std::string frameTooLong(std::size_t bytes) {
    return "the frame has " + std::to_string(bytes) + " bytes; a frame may have at most " +
           std::to_string(frame::MAX_FRAME);
}

} // namespace

bool StepParser::parse(const PlanLine& line, int number, PlanStep& step, PlanError& error) {
    m_line = &line;
    m_error = &error;
    error = PlanError{number, 0, {}};
    step = PlanStep();
    step.line = number;
    step.text = line.content();
    const PlanWord& first = line.words.front();
    const std::string name = first.quoted ? std::string() : lower(first.text);
    if (name == "send")
        return send(step);
    if (name == "send-fields")
        return sendFields(step);
    if (name == "send-command")
        return sendCommand(step);
    if (name == "expect")
        return expect(step);
    if (name == "wait")
        return wait(step);
    if (name == "repeat")
        return repeat(step);
    if (name == "note")
        return note(step);
    if (name == "stop-on-failure")
        return stopOnFailure(step);
    return fail(first.at, "unknown step \"" + first.text + "\": a step is " + STEPS);
}

bool StepParser::fail(std::size_t at, std::string message) {
    m_error->column = m_line->column(at);
    m_error->message = std::move(message);
    return false;
}

std::size_t StepParser::lineEnd() const {
    const PlanWord& last = m_line->words.back();
    return last.at + last.text.size() + (last.quoted ? 2 : 0);
}

// Exactly `count` words; otherwise the usage, at the first word too many or where one is missing.
bool StepParser::wordCount(std::size_t count, const std::string& usage) {
    const auto& words = m_line->words;
    if (words.size() < count)
        return fail(lineEnd(), usage);
    if (words.size() > count)
        return fail(words[count].at, "unexpected \"" + words[count].text + "\": " + usage);
    return true;
}

bool StepParser::hexBytes(const PlanWord& word, std::size_t skip, Bytes& bytes) {
    if (word.quoted)
        return fail(word.at, "bytes are written without quotes: FE 00 01");
    const std::string& text = word.text;
    for (std::size_t i = skip; i < text.size(); ++i)
        if (CHexCodec::DigitValue(text[i]) < 0)
            return fail(word.at + i, "expected hex digits, two for each byte (FE 0A)");
    if ((text.size() - skip) % 2 != 0)
        return fail(word.at + skip, "an odd number of hex digits: write each byte as two "
                                    "digits (0A, not A)");
    for (std::size_t i = skip; i < text.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(CHexCodec::DigitValue(text[i]) * 16 +
                                                  CHexCodec::DigitValue(text[i + 1])));
    return true;
}

bool StepParser::number(const PlanWord& word, long min, long max, bool ms, long& value) {
    std::string text = lower(word.text);
    if (ms && text.size() > 2 && text.compare(text.size() - 2, 2, "ms") == 0)
        text.resize(text.size() - 2);
    const std::string wanted = std::string(ms ? "a time in milliseconds" : "a count") + " from " +
                               std::to_string(min) + " to " + std::to_string(max);
    if (word.quoted || text.empty() || text.size() > 9)
        return fail(word.at, "expected " + wanted);
    for (char c : text)
        if (c < '0' || c > '9')
            return fail(word.at, "expected " + wanted);
    value = std::stol(text);
    return (value >= min && value <= max) || fail(word.at, "expected " + wanted);
}

bool StepParser::send(PlanStep& step) {
    const auto& words = m_line->words;
    if (words.size() < 2)
        return fail(lineEnd(), "send needs a frame as the command tree stores it: "
                               "send FE 00 01 02 03");
    for (std::size_t i = 1; i < words.size(); ++i) {
        std::size_t skip = 0;
        if (i == 1 && !words[i].quoted && words[i].text.rfind('@', 0) == 0) {
            if (m_context.family != ModuleFamily::VM77)
                return fail(words[i].at, "@ starts a raw frame of the VM77 family; this plan "
                                         "is for VX31");
            skip = 1;
        }
        if (!hexBytes(words[i], skip, step.frame))
            return false;
    }
    if (step.frame.empty())
        return fail(words[1].at, "send needs at least one byte");
    if (step.frame.size() > frame::MAX_FRAME)
        return fail(words[1].at, frameTooLong(step.frame.size()));
    step.kind = StepKind::Send;
    return true;
}

bool StepParser::sendFields(PlanStep& step) {
    const auto& words = m_line->words;
    const bool vx31 = m_context.family == ModuleFamily::VX31;
    const std::string usage = vx31 ? "send-fields needs the command bytes C1 C2, then the data"
                                   : "send-fields needs the command byte CMD, then the data";
    if (words.size() < 2)
        return fail(lineEnd(), usage);
    Bytes fields;
    for (std::size_t i = 1; i < words.size(); ++i)
        if (!hexBytes(words[i], 0, fields))
            return false;
    const std::size_t commandBytes = vx31 ? 2 : 1;
    if (fields.size() < commandBytes)
        return fail(words[1].at, usage);
    const Bytes data(fields.begin() + static_cast<long>(commandBytes), fields.end());
    if (data.size() > frame::MAX_DATA_BYTES)
        return fail(words[1].at, "there are " + std::to_string(data.size()) +
                                     " data bytes; a frame holds at most " +
                                     std::to_string(frame::MAX_DATA_BYTES));
    step.frame = vx31 ? frame::buildVx31Frame(fields[0], fields[1], data)
                      : frame::buildVm77Frame(fields[0], data);
    step.kind = StepKind::Send;
    return true;
}

bool StepParser::sendCommand(PlanStep& step) {
    const auto& words = m_line->words;
    const std::string usage = "send-command needs the command's path in double quotes: "
                              "send-command \"Folder/Command\"";
    if (!wordCount(2, usage))
        return false;
    if (!words[1].quoted)
        return fail(words[1].at, usage);
    const std::string& path = words[1].text;
    if (!m_context.tree || !m_context.store)
        return fail(words[1].at, "there is no command list to take \"" + path + "\" from");
    const CommandTree::Item item = findItemByPath(*m_context.tree, path);
    if (!item)
        return fail(words[1].at, "the command list has no command \"" + path + "\"");
    const std::uint32_t id = m_context.tree->id(item);
    const std::uint8_t* data = m_context.store->entryData(id);
    const std::uint32_t length = m_context.store->entryLength(id);
    if (length == 0 || !data)
        return fail(words[1].at, "\"" + path + "\" is a folder; send-command sends a command");
    const std::string_view text(reinterpret_cast<const char*>(data), length);
    const int bytes = CHexCodec::HexByteCount(text);
    if (bytes == 0)
        return fail(words[1].at, "the command \"" + path + "\" holds no frame to send");
    if (static_cast<std::size_t>(bytes) > frame::MAX_FRAME)
        return fail(words[1].at, "\"" + path + "\": " + frameTooLong(std::size_t(bytes)));
    step.frame.resize(static_cast<std::size_t>(bytes));
    CHexCodec().HexToBytes(text, step.frame.data(), step.frame.size());
    step.kind = StepKind::Send;
    return true;
}

bool StepParser::expect(PlanStep& step) {
    const auto& words = m_line->words;
    std::size_t within = 1;
    while (within < words.size() && (words[within].quoted || lower(words[within].text) != "within"))
        ++within;
    if (within == words.size())
        return fail(lineEnd(), "expect needs a time: expect PATTERN within MS");
    if (within == 1)
        return fail(words[1].at, "expect needs a pattern before \"within\": hex bytes, ??, *, "
                                 "LEN and CS, or none");
    if (!wordCount(within + 2, "expect PATTERN within MS"))
        return false;
    long ms = 0;
    if (!number(words.back(), 1, MAX_MS, true, ms))
        return false;
    step.time = std::chrono::milliseconds(ms);
    if (within == 2 && !words[1].quoted && lower(words[1].text) == "none") {
        step.kind = StepKind::ExpectNone;
        return true;
    }
    step.kind = StepKind::Expect;
    return pattern(1, within, step);
}

bool StepParser::pattern(std::size_t first, std::size_t last, PlanStep& step) {
    std::vector<FramePattern::Element> elements;
    for (std::size_t i = first; i < last; ++i)
        if (!patternWord(m_line->words[i], elements))
            return false;
    step.pattern = FramePattern(std::move(elements));
    return true;
}

// One word of a pattern, checked against what came before it: `*` once, followed by nothing
// but `CS`; `CS` last; `LEN` where the family's frames have their length byte.
bool StepParser::patternWord(const PlanWord& word, std::vector<FramePattern::Element>& elements) {
    using Kind = FramePattern::Kind;
    const std::string text = word.quoted ? std::string("\"") : lower(word.text);
    const bool rest = !elements.empty() && (elements.back().kind == Kind::Rest ||
                                            elements.back().kind == Kind::Checksum);
    if (rest && elements.back().kind == Kind::Checksum)
        return fail(word.at, "CS is the checksum, the last byte of a frame: nothing may follow it");
    if (rest && text != "cs")
        return fail(word.at, "* stands for the rest of the frame: only CS may follow it");
    if (text == "*" || text == "??" || text == "cs") {
        elements.push_back({text == "*"    ? Kind::Rest
                            : text == "??" ? Kind::AnyByte
                                           : Kind::Checksum});
        return true;
    }
    if (text == "len") {
        const std::size_t at = elements.size();
        const bool vx31 = m_context.family == ModuleFamily::VX31;
        if (vx31 ? at != 1 : at != 2 && at != 0)
            return fail(word.at, vx31 ? "LEN is the length byte, the 2nd byte of a VX31 frame"
                                      : "LEN is the length byte, the 3rd byte of a VM77 command "
                                        "frame or the 1st of a raw frame");
        elements.push_back({Kind::Length});
        return true;
    }
    if (text == "none")
        return fail(word.at, "none stands alone: expect none within MS");
    for (char c : word.text)
        if (word.quoted || CHexCodec::DigitValue(c) < 0)
            return fail(word.at, "\"" + word.text +
                                     "\" is not part of a pattern: hex bytes, ??, "
                                     "*, LEN or CS");
    Bytes bytes;
    if (!hexBytes(word, 0, bytes))
        return false;
    for (std::uint8_t b : bytes)
        elements.push_back({Kind::Byte, b});
    return true;
}

bool StepParser::wait(PlanStep& step) {
    long ms = 0;
    if (!wordCount(2, "wait needs a time: wait MS") ||
        !number(m_line->words[1], 1, MAX_MS, true, ms))
        return false;
    step.kind = StepKind::Wait;
    step.time = std::chrono::milliseconds(ms);
    return true;
}

bool StepParser::repeat(PlanStep& step) {
    const auto& words = m_line->words;
    const std::string usage = "repeat N { on one line, the steps, then } on a line of its own";
    if (words.size() < 2)
        return fail(lineEnd(), usage);
    long count = 0;
    if (!number(words[1], 1, MAX_REPEAT, false, count))
        return false;
    if (words.size() < 3 || words[2].quoted || words[2].text != "{")
        return fail(words.size() < 3 ? lineEnd() : words[2].at, usage);
    if (!wordCount(3, usage))
        return false;
    step.kind = StepKind::Repeat;
    step.count = static_cast<unsigned>(count);
    return true;
}

bool StepParser::note(PlanStep& step) {
    const auto& words = m_line->words;
    if (words.size() < 2)
        return fail(lineEnd(), "note needs a text: note Reset the module");
    step.kind = StepKind::Note;
    step.note = words.size() == 2 && words[1].quoted ? words[1].text : m_line->restFrom(1);
    return true;
}

bool StepParser::stopOnFailure(PlanStep& step) {
    const auto& words = m_line->words;
    if (!wordCount(2, "stop-on-failure on|off"))
        return false;
    const std::string value = words[1].quoted ? std::string() : lower(words[1].text);
    if (value != "on" && value != "off")
        return fail(words[1].at, "stop-on-failure is on or off");
    step.kind = StepKind::StopOnFailure;
    step.on = value == "on";
    return true;
}

} // namespace tovan
