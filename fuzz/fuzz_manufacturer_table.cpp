// Manufacturer tables ("mbus.cfg") as anyone may edit them. An input holding a form feed is
// two versions of the table: the part before it is read first, then the file is rewritten with
// the part after it, and the same table object must answer as a fresh one does.
#include "core/wmbus/ManufacturerTable.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/MemFile.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

using namespace tovan;

namespace {

// Codes to ask for: the first three bytes of the first lines, and a few fixed ones.
std::vector<std::string> codesOf(std::string_view table) {
    std::vector<std::string> codes{"ABC", "@@@", "___", "AAA", "ZZZ"};
    while (!table.empty() && codes.size() < 64) {
        codes.emplace_back(table.substr(0, 3));
        const std::size_t end = table.find('\n');
        table = end == std::string_view::npos ? std::string_view() : table.substr(end + 1);
    }
    return codes;
}

std::vector<std::string> lookUp(ManufacturerTable& table, const std::vector<std::string>& codes,
                                std::string_view content) {
    std::vector<std::string> names;
    for (const std::string& code : codes) {
        const std::string name(table.nameOf(code));
        FUZZ_CHECK(name.size() <= ManufacturerTable::MAX_LINE - 3, "a name fits one line");
        FUZZ_CHECK(name.find('\n') == std::string::npos && name.find('\0') == std::string::npos,
                   "a name ends at the line end and at a zero byte");
        FUZZ_CHECK(name.empty() || content.find(name) != std::string_view::npos,
                   "a name comes from the table");
        names.push_back(name);
    }
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::MemFile file;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = std::min(input.find('\f'), input.size());
    const std::string_view first = input.substr(0, split);

    file.write(data, first.size());
    ManufacturerTable table(file.path(), {}, std::chrono::milliseconds(0));
    lookUp(table, codesOf(first), first);
    if (split == input.size())
        return 0;

    const std::string_view second = input.substr(split + 1);
    file.write(data + split + 1, second.size());
    const std::vector<std::string> codes = codesOf(second);
    const std::vector<std::string> edited = lookUp(table, codes, second);
    ManufacturerTable fresh(file.path(), {}, std::chrono::milliseconds(0));
    FUZZ_CHECK(edited == lookUp(fresh, codes, second),
               "an edited table shows with the next lookup");
    return 0;
}
