#pragma once

#include <QColor>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <vector>

class QPainter;

// Draws texts the way the meter's LCD shows them: seven-segment digits and
// the meter's symbols, addressed by ordinary characters:
//   '0'-'9', 'C', 'D', 'E'  seven-segment digits
//   ' '                     a blank digit
//   '-'                     a dash (the middle segment)
//   '@'                     the seven-segment letter L (overload "0L")
//   '#'                     degrees Celsius,  '?' degrees Fahrenheit,
//   'K'                     the kelvin symbol
//   ':'                     the clock's colon
// Any other character is drawn in a plain sans-serif face, glyph by glyph
// ("?-J" is the Fahrenheit symbol, a dash and a plain J). A text that begins
// with such a letter ("T1", "T1-T2", "H:M") is a printed caption and is
// drawn wholly in the plain face.
// pixelSize is the em height, as a font's pixel size would be; the glyphs sit
// on a baseline at 0.91 of it, like the digits of a symbol font would.
namespace lcd {

struct Style {
    qreal pixelSize = 32;
    bool bold = false;
    QColor ink = QColor(0x1a, 0x1a, 0x1a);
    // Unlit segments of digit cells drawn faintly behind the lit ones.
    bool ghostSegments = false;
};

// Size of the text's box at this style (advance widths by pixel height).
QSizeF textSize(const QString& text, const Style& style);

// Left edge of each character's place, from the left of the text: where
// drawText starts character i.
std::vector<qreal> glyphOffsets(const QString& text, const Style& style);

// Draws the text at the top-left of the box, left to right.
void drawText(QPainter& painter, const QPointF& topLeft, const QString& text, const Style& style);

// Draws the text inside rect with the given horizontal alignment, vertically
// centred (used by the table's unit column and the printout).
void drawTextIn(QPainter& painter, const QRectF& rect, const QString& text, const Style& style,
                Qt::Alignment alignment = Qt::AlignLeft);

} // namespace lcd
