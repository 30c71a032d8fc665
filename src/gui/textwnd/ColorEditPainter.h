#pragma once

#include "core/textwnd/TextSearch.h"

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>

#include <array>
#include <vector>

class QPainter;
class QRect;

namespace tovan {

class ColorEditModel;
class TextViewport;

// Draws the traffic window's text on its grid of cells: every character on its own in its
// cell, in its own colour, selected cells in the selection colours. Only the lines that cross
// the exposed area are drawn.
//
// Bytes are Latin-1: 0x20-0x7E and 0xA0-0xFF show their character, any other byte (the text
// model never stores one) shows as an empty cell.
class ColorEditPainter {
public:
    // The model's colours are 0x00BBGGRR, red in the low byte.
    static QColor toQColor(unsigned colour);

    void setFont(const QFont& font);
    // Places shown on a marker colour behind their text (the find bar's matches), sorted top
    // to bottom.
    void setHighlights(std::vector<TextMatch> highlights) { m_highlights = std::move(highlights); }
    const std::vector<TextMatch>& highlights() const { return m_highlights; }
    // `lines` lines came in on top: every mark moves down with its text; marks beyond the
    // text's `lineCount` lines are gone.
    void shiftHighlights(int lines, int lineCount);
    void paint(QPainter& painter, const ColorEditModel& model, const TextViewport& view,
               const QRect& exposed);

private:
    struct Run {
        int firstColumn = 0;
        int columns = 0;
        bool selected = false;
        unsigned colour = 0;
    };

    void paintHighlights(QPainter& painter, const TextViewport& view, int firstLine, int end);
    void paintLine(QPainter& painter, const ColorEditModel& model, const TextViewport& view,
                   int line, int lastColumn);
    void paintRun(QPainter& painter, const ColorEditModel& model, const TextViewport& view,
                  int line, const Run& run);

    std::vector<TextMatch> m_highlights;
    QFont m_font;
    QRawFont m_rawFont;
    int m_ascent = 0;
    // Glyph of each byte in the raw font; 0 where the byte is not drawn from it.
    std::array<quint32, 256> m_glyphs{};
    std::array<QString, 256> m_characters;
    QGlyphRun m_run;
    QList<quint32> m_runGlyphs;
    QList<QPointF> m_runPositions;
};

} // namespace tovan
