#include "gui/app/TrafficPrinter.h"

#include "core/textwnd/LineStore.h"

#include <QColor>
#include <QFont>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>

namespace tovan {
namespace {

QColor toQColor(Colour colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

// One line in runs of equal colour.
void appendLine(QTextCursor& cursor, const std::string& text, const std::vector<Colour>& colours) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start + 1;
        while (end < text.size() && colours[end] == colours[start])
            ++end;
        QTextCharFormat format;
        format.setForeground(toQColor(colours[start]));
        cursor.insertText(
            QString::fromLatin1(text.data() + start, static_cast<qsizetype>(end - start)), format);
        start = end;
    }
}

} // namespace

void printTraffic(const LineStore& lines, QPrinter& printer) {
    QTextDocument document;
    QFont font(QStringLiteral("Courier New"), 9);
    font.setStyleHint(QFont::TypeWriter);
    document.setDefaultFont(font);
    QTextCursor cursor(&document);
    for (int line = 0; line < lines.lineCount(); ++line) {
        if (line > 0)
            cursor.insertBlock();
        appendLine(cursor, lines.text(line), lines.colours(line));
    }
    document.print(&printer);
}

} // namespace tovan
