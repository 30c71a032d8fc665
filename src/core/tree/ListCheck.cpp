#include "core/tree/ListCheck.h"

#include "core/frames/CHexCodec.h"
#include "core/tree/CommandListFile.h"
#include "core/tree/CommandListHeader.h"
#include "core/tree/CommandStore.h"
#include "core/tree/Labels.h"
#include "core/tree/MemoryCommandTree.h"

#include <algorithm>
#include <fstream>

namespace tovan {
namespace {

const std::string HEADER_EDGE = "/" + std::string(30, '*');

std::string quoted(const std::string& latin1) {
    return "\"" + latin1ToUtf8(latin1) + "\"";
}

std::size_t depthOf(std::size_t indentation) {
    return indentation / 2 + 1;
}

// Folders whose braces are open, to see whether the braces tell the same nesting as the
// indentation the loader goes by. A folder without children is written without a close
// block, so only folders that have children must be closed.
class BraceTrail {
public:
    explicit BraceTrail(std::vector<LoadNotice>& findings) : m_findings(findings) {}

    void item(const ListRecord& record) {
        const std::size_t depth = depthOf(record.indentation);
        while (!m_open.empty() && m_open.back().depth >= depth) {
            if (m_open.back().hasChildren)
                note(record.line, quoted(record.label) + " stands before the '}' of " +
                                      quoted(m_open.back().label) + " (line " +
                                      std::to_string(m_open.back().line) +
                                      ") but is indented as its sibling; it loads outside it");
            m_open.pop_back();
        }
        if (!m_open.empty())
            m_open.back().hasChildren = true;
        if (record.kind == RecordKind::Folder)
            m_open.push_back({depth, record.label, record.line, false});
    }

    void close(const ListRecord::CloseBlock& block) {
        const std::size_t depth = depthOf(block.indentation);
        while (!m_open.empty() && m_open.back().depth > depth) {
            if (m_open.back().hasChildren)
                unclosed(m_open.back());
            m_open.pop_back();
        }
        if (m_open.empty() || m_open.back().depth != depth) {
            note(block.line, "'}' closes no folder (it is ignored when loading)");
            return;
        }
        m_open.pop_back();
    }

    void end() {
        for (const Open& folder : m_open)
            if (folder.hasChildren)
                unclosed(folder);
    }

private:
    struct Open {
        std::size_t depth;
        std::string label;
        std::size_t line;
        bool hasChildren;
    };

    void unclosed(const Open& folder) {
        note(folder.line, "the '{' of folder " + quoted(folder.label) +
                              " is never closed (the loader goes by indentation alone)");
    }
    void note(std::size_t line, std::string text) { m_findings.push_back({line, std::move(text)}); }

    std::vector<LoadNotice>& m_findings;
    std::vector<Open> m_open;
};

// Command data as the composer stores it: hex digit pairs with spaces between them, for the
// second family's raw form an '@' in front, and for a New command never edited, its zero byte
// at the end.
std::string dataProblem(std::string data) {
    if (!data.empty() && data.back() == '\0')
        data.pop_back();
    if (!data.empty() && data.front() == '@')
        data.erase(0, 1);
    std::size_t digits = 0;
    for (char c : data) {
        if (CHexCodec::DigitValue(c) >= 0)
            ++digits;
        else if (c != ' ')
            return "holds characters that are not hex digits; sending skips them";
    }
    if (digits % 2 != 0)
        return "has an odd number of hex digits; sending drops the last one";
    return {};
}

void checkRecord(const ListRecord& record, std::vector<LoadNotice>& findings) {
    for (std::size_t line : record.skippedLines)
        findings.push_back({line, "text outside any record is skipped (does a record lack its "
                                  "'#' line?)"});
    if (record.markerForData != 0)
        findings.push_back({record.line, "the label line of " + quoted(record.label) +
                                             " has no data line; the loader reads the lines "
                                             "from line " +
                                             std::to_string(record.markerForData) +
                                             " as its data and loses that record"});
    if (record.kind == RecordKind::Command)
        if (const std::string problem = dataProblem(record.data); !problem.empty())
            findings.push_back({record.line, "data of " + quoted(record.label) + " " + problem});
}

void checkStructure(const std::string& path, std::vector<LoadNotice>& findings) {
    CommandListFile file;
    if (!file.openForRead(path))
        return;
    BraceTrail braces(findings);
    for (;;) {
        const ListRecord record = file.readRecord();
        for (const ListRecord::CloseBlock& block : record.closeBlocks)
            braces.close(block);
        checkRecord(record, findings);
        if (record.kind == RecordKind::End)
            break;
        braces.item(record);
    }
    braces.end();
}

} // namespace

std::string headerProblem(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string expected[] = {HEADER_EDGE, "",        "*Version: 1.0", "*",
                                    "*COM3",     "*115200", "*RTS/CTS",      HEADER_EDGE};
    std::string line;
    for (int number = 1; number <= CommandListFile::HEADER_LINES; ++number) {
        if (!std::getline(in, line))
            return "the header has " + std::to_string(number - 1) + " of its 8 lines";
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string model = line.substr(std::min<std::size_t>(1, line.size()));
        if (number == 2) {
            if (line.empty() || line[0] != '*' ||
                (model != "VX31" && model != "VM77" && model != GENERIC_LIST_MODEL))
                return "line 2 of the header names no model of the workbench (\"*VX31\" or "
                       "\"*VM77\"); the workbench cannot tell which console opens it";
        } else if (line != expected[number - 1]) {
            return number == 1 ? "the file does not begin with the workbench's header; its "
                                 "first 8 lines are skipped as one"
                               : "line " + std::to_string(number) +
                                     " of the header is not the workbench's \"" +
                                     expected[number - 1] + "\"";
        }
    }
    return {};
}

ListCheck checkList(const std::string& path) {
    ListCheck check;
    if (!std::ifstream(path)) // a load would create a missing list; a check must not
        return check;
    MemoryCommandTree tree;
    CommandStore store;
    std::vector<LoadNotice> notices;
    if (!loadList(tree, store, path, &notices))
        return check;
    check.readable = true;
    check.items = tree.size();
    if (const std::string problem = headerProblem(path); !problem.empty())
        check.findings.push_back({0, problem});
    for (LoadNotice& notice : notices)
        if (notice.line != 0 || notice.message.find("header") == std::string::npos)
            check.findings.push_back(std::move(notice));
    checkStructure(path, check.findings);
    std::stable_sort(check.findings.begin(), check.findings.end(),
                     [](const LoadNotice& a, const LoadNotice& b) { return a.line < b.line; });
    return check;
}

} // namespace tovan
