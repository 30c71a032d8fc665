#include "core/testplan/PlanLine.h"

namespace tovan {
namespace {

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

} // namespace

PlanLine PlanLine::split(std::string_view line) {
    PlanLine result;
    result.source = line;
    result.end = line.size();
    std::size_t i = 0;
    while (i < line.size()) {
        if (blank(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '#') {
            result.end = i;
            break;
        }
        PlanWord word;
        word.at = i;
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) {
                result.error = "the text in quotes has no closing quote";
                result.errorAt = i;
                return result;
            }
            word.text = std::string(line.substr(i + 1, close - i - 1));
            word.quoted = true;
            i = close + 1;
        } else {
            while (i < line.size() && !blank(line[i]) && line[i] != '#' && line[i] != '"')
                word.text += line[i++];
        }
        result.words.push_back(std::move(word));
    }
    return result;
}

std::string PlanLine::restFrom(std::size_t index) const {
    if (index >= words.size())
        return {};
    std::size_t last = end;
    while (last > words[index].at && blank(source[last - 1]))
        --last;
    return std::string(source.substr(words[index].at, last - words[index].at));
}

int PlanLine::column(std::size_t at) const {
    int column = 1;
    for (std::size_t i = 0; i < at && i < source.size(); ++i)
        if ((static_cast<unsigned char>(source[i]) & 0xC0) != 0x80)
            ++column;
    return column;
}

} // namespace tovan
