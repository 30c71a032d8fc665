// The traffic window's text model under AddLine and InsertColouredText at any caret and
// selection. After every call each line has one colour per character and only printable
// characters, the longest-line length is exact, and AddLine leaves the store as its rule says:
// the store cut to the line limit, the entry's lines in front, the former first line (when it
// held anything) after them in the entry's colour.
//
// Input: a byte for the tab width, a byte for the line limit (0: the window's 1000), then
// operations: a byte whose value modulo 3 picks AddLine, InsertColouredText or SetSelection
// (the byte also gives the colour), followed by a length byte and that many text bytes, or by
// four bytes of anchor and caret positions.
#include "FuzzCheck.h"
#include "textwnd/CharClass.h"
#include "textwnd/ColorEditModel.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

using namespace tovan;

namespace {

struct Line {
    std::string text;
    std::vector<Colour> colours;
    bool operator==(const Line& other) const {
        return text == other.text && colours == other.colours;
    }
};

std::vector<Line> snapshot(const LineStore& store) {
    std::vector<Line> lines;
    for (int i = 0; i < store.lineCount(); ++i)
        lines.push_back({store.text(i), store.colours(i)});
    return lines;
}

void checkStore(const ColorEditModel& model) {
    const LineStore& store = model.store();
    FUZZ_CHECK(store.lineCount() >= 1, "the store always has a line");
    std::size_t longest = 0;
    for (int i = 0; i < store.lineCount(); ++i) {
        const std::string& text = store.text(i);
        FUZZ_CHECK(store.colours(i).size() == text.size(), "one colour per character");
        for (char c : text)
            FUZZ_CHECK(charclass::isPrintable(static_cast<unsigned char>(c)),
                       "only printable characters are stored");
        longest = std::max(longest, text.size());
    }
    FUZZ_CHECK(static_cast<std::size_t>(store.longestLineLength()) == longest,
               "the longest-line length is exact");
    const TextPos caret = model.caret();
    FUZZ_CHECK(caret.line >= 0 && caret.line <= store.lineCount() && caret.column >= 0,
               "the caret stays in the text or just below it");
}

// One line of an entry as the window shows it: tabs filled up to the next stop, bytes that are
// not printable dropped.
Line shown(std::string_view text, Colour colour, int tabWidth) {
    Line line;
    for (char c : text) {
        if (c == '\t')
            line.text.append(tabWidth - static_cast<int>(line.text.size()) % tabWidth, ' ');
        else if (charclass::isPrintable(static_cast<unsigned char>(c)))
            line.text += c;
    }
    line.colours.assign(line.text.size(), colour);
    return line;
}

std::vector<Line> afterAddLine(std::vector<Line> before, std::string_view text, Colour colour,
                               const ColorEditModel& model) {
    if (before.size() > static_cast<std::size_t>(model.lineLimit()))
        before.resize(static_cast<std::size_t>(model.lineLimit()));
    std::vector<Line> after;
    for (;;) {
        const std::size_t end = text.find('\n');
        after.push_back(shown(text.substr(0, end), colour, model.tabWidth()));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    if (!before.front().text.empty())
        after.push_back(shown(before.front().text, colour, model.tabWidth()));
    after.insert(after.end(), before.begin() + 1, before.end());
    return after;
}

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool more() const { return m_at < m_size; }
    int byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    std::string_view text() {
        const std::size_t length = std::min<std::size_t>(byte(), m_size - m_at);
        const std::string_view t(reinterpret_cast<const char*>(m_data + m_at), length);
        m_at += length;
        return t;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

void addLine(ColorEditModel& model, std::string_view text, Colour colour) {
    const std::vector<Line> before = snapshot(model.store());
    model.AddLine(text, colour);
    FUZZ_CHECK(snapshot(model.store()) == afterAddLine(before, text, colour, model),
               "AddLine puts the entry in front of the store cut to its limit");
}

void insertText(ColorEditModel& model, std::string_view text, Colour colour) {
    const int before = model.lineCount();
    model.InsertColouredText(text, colour);
    const auto lineFeeds = std::count(text.begin(), text.end(), '\n');
    FUZZ_CHECK(model.lineCount() <= before + lineFeeds + 1, "an insertion adds its lines only");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    ColorEditModel model(in.byte() % 9);
    if (const int limit = in.byte())
        model.setLineLimit(limit);
    while (in.more()) {
        const int op = in.byte();
        const Colour colour = static_cast<Colour>(op) * 0x010305u;
        if (op % 3 == 0) {
            addLine(model, in.text(), colour);
        } else if (op % 3 == 1) {
            insertText(model, in.text(), colour);
        } else {
            const int anchorColumn = in.byte() - 8, anchorLine = in.byte() - 8;
            const int caretColumn = in.byte() - 8, caretLine = in.byte() - 8;
            model.SetSelection(anchorColumn, anchorLine, caretColumn, caretLine);
        }
        checkStore(model);
    }
    return 0;
}
