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
#include "core/textwnd/CharClass.h"
#include "core/textwnd/ColorEditModel.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

using namespace tovan;

namespace {

struct Line {
    std::string text;
    std::vector<Colour> colours;
};

// Lines are compared by a fingerprint of their characters and colours: a store of a thousand
// lines is compared after every call without copying it.
std::uint64_t fingerprint(const std::string& text, const std::vector<Colour>& colours) {
    std::uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](std::uint64_t value) { hash = (hash ^ value) * 1099511628211ull; };
    for (char c : text)
        mix(static_cast<unsigned char>(c));
    for (Colour c : colours)
        mix(c);
    return hash ^ text.size();
}

std::vector<std::uint64_t> fingerprints(const LineStore& store) {
    std::vector<std::uint64_t> prints;
    for (int i = 0; i < store.lineCount(); ++i)
        prints.push_back(fingerprint(store.text(i), store.colours(i)));
    return prints;
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

std::vector<std::uint64_t> afterAddLine(const std::vector<std::uint64_t>& before,
                                        const std::string& firstLine, std::string_view text,
                                        Colour colour, const ColorEditModel& model) {
    const std::size_t kept = std::min(before.size(), static_cast<std::size_t>(model.lineLimit()));
    std::vector<std::uint64_t> after;
    auto add = [&after](const Line& line) {
        after.push_back(fingerprint(line.text, line.colours));
    };
    for (;;) {
        const std::size_t end = text.find('\n');
        add(shown(text.substr(0, end), colour, model.tabWidth()));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    if (!firstLine.empty())
        add(shown(firstLine, colour, model.tabWidth()));
    after.insert(after.end(), before.begin() + 1, before.begin() + kept);
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
    const std::vector<std::uint64_t> before = fingerprints(model.store());
    const std::string firstLine = model.store().text(0);
    model.AddLine(text, colour);
    FUZZ_CHECK(fingerprints(model.store()) == afterAddLine(before, firstLine, text, colour, model),
               "AddLine puts the entry in front of the store cut to its limit");
}

// Every line an insertion touches takes its colour as a whole: from the line where the text
// (or the selection it replaces) starts to the line the caret ends on, or the line above when
// the caret ends at the start of a line (a last line feed with nothing after it and nothing to
// carry adds no line).
void insertText(ColorEditModel& model, std::string_view text, Colour colour) {
    const int before = model.lineCount();
    const int firstLine = std::min(model.caret().line, model.anchor().line);
    const bool touches = std::any_of(text.begin(), text.end(), [](char c) {
        return c == '\n' || c == '\t' || charclass::isPrintable(static_cast<unsigned char>(c));
    });
    model.InsertColouredText(text, colour);
    const auto lineFeeds = std::count(text.begin(), text.end(), '\n');
    FUZZ_CHECK(model.lineCount() <= before + lineFeeds + 1, "an insertion adds its lines only");
    if (!touches)
        return;
    const TextPos caret = model.caret();
    const int lastLine =
        std::min(caret.column == 0 ? caret.line - 1 : caret.line, model.lineCount() - 1);
    for (int line = firstLine; line <= lastLine; ++line)
        for (Colour c : model.store().colours(line))
            FUZZ_CHECK(c == colour, "every line an insertion touches takes its colour");
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
