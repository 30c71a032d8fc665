#include "core/tree/CommandListHeader.h"

#include <cstdio>
#include <memory>

namespace tovan {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

bool writeListHeader(const std::string& path, std::string_view model) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    std::string header;
    header += "/******************************\r\n";
    header += '*';
    header += model;
    header += "\r\n";
    header += "*Version: 1.0\r\n*\r\n*COM3\r\n*115200\r\n*RTS/CTS\r\n";
    header += "/******************************\r\n";
    const bool written = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    return std::fclose(file) == 0 && written;
}

std::string readListModel(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return {};
    int c;
    while ((c = std::fgetc(file.get())) != EOF && c != '\n') {
    }
    std::string line;
    while ((c = std::fgetc(file.get())) != EOF && c != '\n')
        line += static_cast<char>(c);
    if (c == EOF && line.empty())
        return {};
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return !line.empty() && line.front() == '*' ? line.substr(1) : line;
}

namespace {

// The first line as a line reader of 255 characters takes it: up to 254 bytes, or through its
// line feed. False when the file ends before anything is read.
bool readFirstLine(std::FILE* file, std::string& line) {
    int c = 0;
    while (line.size() < 254 && (c = std::fgetc(file)) != EOF) {
        line += static_cast<char>(c);
        if (c == '\n')
            break;
    }
    return !line.empty();
}

} // namespace

std::size_t documentKindFor(const std::string& path, const std::vector<std::string>& names) {
    if (names.empty())
        return 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    std::string first;
    if (!file || !readFirstLine(file.get(), first) || first == "\n" || first == "\r\n")
        return 0;
    std::string model;
    bool firstByte = true;
    int c = 0;
    while ((c = std::fgetc(file.get())) != EOF && c != '\n') {
        if (firstByte)
            firstByte = false;
        else if (c != ' ' && c != '\r')
            model += static_cast<char>(c);
    }
    if (model.empty())
        return 0;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == model)
            return i;
    return names.size() - 1;
}

} // namespace tovan
