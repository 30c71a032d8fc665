#include "Commands.h"
#include "console/CTelegramDecoder.h"
#include "frames/CHexCodec.h"
#include "frames/HexInput.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sys/stat.h>

namespace tovan::tool {

namespace {

void printDecoded(const CTelegramDecoder& decoder, const std::string& text) {
    std::cout << text << '\n';
    if (!decoder.IsTelegram(text)) {
        std::cout << "not a telegram\n\n";
        return;
    }
    std::string block = decoder.Decode(text);
    block.erase(std::remove(block.begin(), block.end(), '\r'), block.end());
    std::cout << block << '\n';
}

void decodeStream(std::istream& in, const std::string& name, const CTelegramDecoder& decoder) {
    std::string line;
    std::vector<std::uint8_t> bytes;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        if (!parseHexInput(line, bytes)) {
            std::cout << std::flush;
            std::cerr << name << ':' << number << ": not hex text\n";
            continue;
        }
        std::string text;
        CHexCodec().BytesToHex(bytes.data(), bytes.size(), text);
        printDecoded(decoder, text);
    }
}

bool openInput(const std::string& path, std::ifstream& in) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::cerr << "tovan-tool: cannot read " << path << ": it is a folder\n";
        return false;
    }
    in.open(path, std::ios::binary);
    if (!in) {
        std::cerr << "tovan-tool: cannot read " << path << ": " << std::strerror(errno) << '\n';
        return false;
    }
    return true;
}

} // namespace

int runDecode(const std::vector<std::string>& args) {
    const CTelegramDecoder decoder;
    if (args.empty()) {
        decodeStream(std::cin, "standard input", decoder);
        return 0;
    }
    int status = 0;
    for (const std::string& path : args) {
        if (path == "-") {
            decodeStream(std::cin, "standard input", decoder);
            continue;
        }
        std::ifstream in;
        if (!openInput(path, in)) {
            status = EXIT_FAILED;
            continue;
        }
        decodeStream(in, path, decoder);
        if (in.bad()) {
            std::cerr << "tovan-tool: error while reading " << path << '\n';
            status = EXIT_FAILED;
        }
    }
    return status;
}

} // namespace tovan::tool
