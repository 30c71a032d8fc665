#include "core/frames/CHexCodec.h"
#include "core/frames/FrameLayout.h"
#include "core/textwnd/TextSearch.h"
#include "core/wmbus/CTelegramDecoder.h"
#include "core/wmbus/ReadingJson.h"
#include "core/wmbus/RecordText.h"
#include "core/wmbus/TelegramReader.h"
#include "tools/tovan-tool/Commands.h"
#include "tools/tovan-tool/InputFile.h"
#include "tools/tovan-tool/KeyFileLoading.h"
#include "tools/tovan-tool/TerminalText.h"

#include <algorithm>
#include <iostream>
#include <sys/stat.h>

namespace tovan::tool {
namespace {

// The longest telegram a module passes on (a raw frame of 255 bytes), written in the widest
// of the usual forms ("0x2E, " a byte). A longer line is no telegram and is refused without
// being kept.
constexpr std::size_t MAX_TELEGRAM_BYTES = frame::VM77_MAX_RAW_FRAME;
constexpr std::size_t MAX_LINE = 6 * MAX_TELEGRAM_BYTES;

const char* const ACCEPTED_FORMS =
    "give a telegram as hex bytes in any case, two digits a byte, each with 0x or without, "
    "spaces, tabs, colons, commas or dashes between them or nothing (\"2E 44 93 15\", "
    "\"2e449315\", \"0x2E, 0x44\", \"2E:44:93\")";

// The bytes of a line written in any of the forms the traffic window's find bar takes as
// bytes, tabs as well. False for anything else.
bool parseTelegramLine(std::string line, std::vector<std::uint8_t>& bytes) {
    std::replace(line.begin(), line.end(), '\t', ' ');
    const std::string hex = hexBytesQuery(line);
    if (hex.empty())
        return false;
    bytes.assign(static_cast<std::size_t>(CHexCodec::HexByteCount(hex)), 0);
    CHexCodec().HexToBytes(hex, bytes.data(), bytes.size());
    return true;
}

// Reads lines of at most `limit` characters; the rest of a longer line is skipped unread
// into memory, so any input costs the same little memory.
class BoundedLines {
public:
    BoundedLines(std::FILE* in, std::size_t limit) : m_in(in), m_limit(limit) {}

    // The next line without its line end (LF or CR LF). `tooLong` when it had more than
    // `limit` characters. False at the end of the input.
    bool next(std::string& line, bool& tooLong) {
        line.clear();
        tooLong = false;
        int c;
        bool any = false;
        while ((c = getc_unlocked(m_in)) != EOF) {
            any = true;
            if (c == '\n')
                break;
            if (line.size() <= m_limit) // one beyond: a CR before the LF still fits
                line += static_cast<char>(c);
            else
                tooLong = true;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        tooLong = tooLong || line.size() > m_limit;
        return any;
    }

private:
    std::FILE* m_in;
    std::size_t m_limit;
};

class Decoder {
public:
    explicit Decoder(const DecodeOptions& options)
        : m_records(options.records), m_json(options.json) {}

    // Keys from --keys (which must load) or from the default file where there is one.
    bool loadKeys(const std::string& path) {
        MeterKeys keys;
        if (!loadMeterKeys(path, keys))
            return false;
        m_reader.setKeys(keys);
        return true;
    }

    void decodeStream(std::FILE* in, const std::string& name) {
        BoundedLines lines(in, MAX_LINE);
        std::string line;
        bool tooLong = false;
        for (std::size_t number = 1; lines.next(line, tooLong); ++number) {
            const std::string where = name + ":" + std::to_string(number) + ": ";
            if (tooLong)
                warn(where + "longer than the longest telegram (" +
                     std::to_string(MAX_TELEGRAM_BYTES) + " bytes, " + std::to_string(MAX_LINE) +
                     " characters even as \"0x2E, 0x44, ...\"); skipped");
            else if (line.find_first_not_of(" \t") != std::string::npos)
                decodeLine(line, where);
        }
    }

private:
    void decodeLine(const std::string& line, const std::string& where) {
        std::vector<std::uint8_t> bytes;
        if (!parseTelegramLine(line, bytes)) {
            warn(where + "not hex text; " + ACCEPTED_FORMS);
            return;
        }
        if (bytes.size() > MAX_TELEGRAM_BYTES) {
            warn(where + "longer than the longest telegram (" + std::to_string(MAX_TELEGRAM_BYTES) +
                 " bytes); skipped");
            return;
        }
        std::string text;
        CHexCodec().BytesToHex(bytes.data(), bytes.size(), text);
        if (!m_decoder.IsTelegram(text)) {
            if (m_json)
                std::cout << "{\"telegram\":\"" << text << "\",\"error\":\"not a telegram\"}\n";
            else
                std::cout << text << "\nnot a telegram\n\n";
            return;
        }
        checkLength(bytes, where);
        warnOnceWithoutTable();
        if (m_json) {
            printJson(text, bytes);
            return;
        }
        std::cout << text << '\n';
        std::string block = m_decoder.Decode(text);
        block.erase(std::remove(block.begin(), block.end(), '\r'), block.end());
        std::cout << terminalSafe(block, true);
        if (m_records)
            for (const std::string& line : RecordText::lines(m_reader.read(bytes)))
                std::cout << terminalSafe(line) << '\n';
        std::cout << '\n';
    }

    void printJson(const std::string& text, const std::vector<std::uint8_t>& bytes) {
        TelegramFields fields;
        m_decoder.DecodeFields(text, fields);
        std::string json = ReadingJson::line(fields, m_reader.read(bytes));
        json.insert(1, "\"telegram\":\"" + text + "\",");
        std::cout << json << '\n';
    }

    // The first byte counts the bytes after it; a telegram cut short or run on decodes from
    // fields that are not where the decoder reads them.
    void checkLength(const std::vector<std::uint8_t>& bytes, const std::string& where) {
        const std::size_t said = bytes[0] + 1u;
        if (bytes.size() == said)
            return;
        warn(where + "the length byte " + std::to_string(bytes[0]) + " says " +
             std::to_string(said) + " bytes, the telegram has " + std::to_string(bytes.size()) +
             (bytes.size() < said ? " (cut short?)" : " (bytes of another telegram?)") +
             "; decoded as it stands");
    }

    void warnOnceWithoutTable() {
        if (m_tableChecked)
            return;
        m_tableChecked = true;
        std::vector<std::string> places{"mbus.cfg"};
        for (const std::string& path : ManufacturerTable::shippedTablePaths())
            places.push_back(path);
        std::string list;
        for (const std::string& place : places) {
            struct stat info {};
            if (::stat(place.c_str(), &info) == 0)
                return;
            list += (list.empty() ? "" : ", ") + place;
        }
        warn("tovan-tool: no manufacturer table \"mbus.cfg\" found (looked for " + list +
             "); manufacturer names stay empty");
    }

    void warn(const std::string& text) {
        std::cout << std::flush;
        std::cerr << terminalSafe(text) << '\n';
    }

    CTelegramDecoder m_decoder;
    TelegramReader m_reader;
    bool m_records;
    bool m_json;
    bool m_tableChecked = false;
};

} // namespace

int runDecode(const DecodeOptions& options) {
    Decoder decoder(options);
    if (!decoder.loadKeys(options.keys))
        return EXIT_FAILED;
    int status = 0;
    const std::vector<std::string>& files = options.files;
    for (const std::string& name : files.empty() ? std::vector<std::string>{"-"} : files) {
        InputFile input;
        if (!input.open(name)) {
            status = EXIT_FAILED;
            continue;
        }
        decoder.decodeStream(input.stream(), input.displayName());
        if (input.failed())
            status = EXIT_FAILED;
    }
    return status;
}

} // namespace tovan::tool
