#include "gui/textwnd/ColorEditPainter.h"

#include "core/textwnd/CharClass.h"
#include "core/textwnd/ColorEditModel.h"
#include "core/textwnd/TextViewport.h"

#include <QPainter>
#include <QRect>

#include <algorithm>

namespace tovan {

QColor ColorEditPainter::toQColor(unsigned colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

void ColorEditPainter::setFont(const QFont& font) {
    m_font = font;
    m_ascent = QFontMetrics(font).ascent();
    m_rawFont = QRawFont::fromFont(font);
    m_glyphs.fill(0);
    for (int b = 0; b < 256; ++b) {
        const bool printable = charclass::isPrintable(static_cast<unsigned char>(b));
        m_characters[b] = printable ? QString(QChar(b)) : QString();
        if (!printable || b == ' ' || !m_rawFont.isValid())
            continue;
        const QList<quint32> glyphs = m_rawFont.glyphIndexesForString(m_characters[b]);
        if (glyphs.size() == 1)
            m_glyphs[b] = glyphs.front();
    }
    m_run.setRawFont(m_rawFont);
}

void ColorEditPainter::paint(QPainter& painter, const ColorEditModel& model,
                             const TextViewport& view, const QRect& exposed) {
    painter.fillRect(exposed, toQColor(model.backgroundColour()));
    const int count = model.lineCount();
    const int last = view.lastVisibleLine(count);
    const int end = last + 1 < count ? last + 1 : count;
    const int lastColumn =
        view.firstColumn() + (exposed.right() - TextViewport::LEFT_MARGIN) / view.cellWidth() + 2;
    paintHighlights(painter, view, std::max(view.firstLine(), 0), end);
    for (int line = std::max(view.firstLine(), 0); line < end; ++line) {
        const int top = view.lineTop(line);
        if (top > exposed.bottom())
            break;
        if (top + view.lineHeight() > exposed.top())
            paintLine(painter, model, view, line, lastColumn);
    }
}

void ColorEditPainter::paintHighlights(QPainter& painter, const TextViewport& view, int firstLine,
                                       int end) {
    static const QColor marker(0xFF, 0xE8, 0x60);
    auto match = std::lower_bound(m_highlights.begin(), m_highlights.end(), firstLine,
                                  [](const TextMatch& m, int line) { return m.line < line; });
    for (; match != m_highlights.end() && match->line < end; ++match)
        painter.fillRect(QRect(view.cellLeft(match->column), view.lineTop(match->line),
                               match->length * view.cellWidth(), view.lineHeight()),
                         marker);
}

// Splits the visible part of a line into runs of one colour and one selection state.
void ColorEditPainter::paintLine(QPainter& painter, const ColorEditModel& model,
                                 const TextViewport& view, int line, int lastColumn) {
    const std::vector<Colour>& colours = model.store().colours(line);
    const int end = std::min(static_cast<int>(colours.size()), lastColumn);
    int selFrom = 0;
    int selTo = 0;
    model.selectedSpan(line, selFrom, selTo);
    Run run;
    for (int column = std::max(view.firstColumn(), 0); column < end; ++column) {
        const bool selected = column >= selFrom && column < selTo;
        const unsigned colour = colours[static_cast<std::size_t>(column)];
        if (run.columns > 0 && (selected != run.selected || (!selected && colour != run.colour))) {
            paintRun(painter, model, view, line, run);
            run.columns = 0;
        }
        if (run.columns == 0)
            run = Run{column, 0, selected, colour};
        ++run.columns;
    }
    if (run.columns > 0)
        paintRun(painter, model, view, line, run);
}

void ColorEditPainter::paintRun(QPainter& painter, const ColorEditModel& model,
                                const TextViewport& view, int line, const Run& run) {
    const int top = view.lineTop(line);
    const int left = view.cellLeft(run.firstColumn);
    if (run.selected) {
        painter.fillRect(QRect(left, top, run.columns * view.cellWidth(), view.lineHeight()),
                         toQColor(model.selectionBackColour()));
    }
    painter.setPen(toQColor(run.selected ? model.selectionTextColour() : run.colour));
    const std::string& text = model.store().text(line);
    m_runGlyphs.clear();
    m_runPositions.clear();
    for (int i = 0; i < run.columns; ++i) {
        const auto b =
            static_cast<unsigned char>(text[static_cast<std::size_t>(run.firstColumn + i)]);
        const QPointF at(left + i * view.cellWidth(), top + m_ascent);
        if (m_glyphs[b] != 0) {
            m_runGlyphs.append(m_glyphs[b]);
            m_runPositions.append(at);
        } else if (!m_characters[b].isEmpty() && b != ' ') {
            painter.setFont(m_font);
            painter.drawText(at, m_characters[b]);
        }
    }
    if (m_runGlyphs.isEmpty())
        return;
    m_run.setGlyphIndexes(m_runGlyphs);
    m_run.setPositions(m_runPositions);
    painter.drawGlyphRun(QPointF(0, 0), m_run);
}

void ColorEditPainter::shiftHighlights(int lines, int lineCount) {
    if (m_highlights.empty())
        return;
    for (TextMatch& match : m_highlights)
        match.line += lines;
    m_highlights.erase(std::remove_if(m_highlights.begin(), m_highlights.end(),
                                      [&](const TextMatch& match) { return match.line >= lineCount; }),
                       m_highlights.end());
}

} // namespace tovan
