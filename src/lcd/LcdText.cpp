#include "lcd/LcdText.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <vector>

namespace lcd {
namespace {

// Metrics as fractions of the pixel size (em height).
constexpr qreal kBaseline = 0.91;    // baseline below the top of the box
constexpr qreal kDigitHeight = 0.69; // height of a digit cell
constexpr qreal kBodyWidth = 0.31;   // width of a digit cell, ink included
constexpr qreal kCellGap = 0.05;     // blank columns between neighbouring cells
constexpr qreal kSlant = 0.07;       // italic slant (x shift per unit of height)
constexpr qreal kStroke = 0.062;     // segment thickness
constexpr qreal kBoldStroke = 0.082;
constexpr qreal kDegreeWidth = 0.288; // room of the degree ring before C or F

// A style's measures in pixels. Small sizes get heavier strokes, a
// cell wide enough to keep a counter between its two vertical strokes, and a
// gap of whole pixels, so that "11:11" never reads as a smudge.
struct Metrics {
    qreal px = 0;
    qreal height = 0;    // digit cell height
    qreal cellWidth = 0; // digit cell width; the segments' ink stays inside it
    qreal stroke = 0;
    qreal gap = 0; // blank between one cell's ink and the next one's
    qreal ring = 0;
    qreal ringPen = 0;
    qreal degreeWidth = 0;
    qreal dot = 0; // side of a colon dot
};

Metrics metricsFor(const Style& style)
{
    Metrics m;
    m.px = style.pixelSize;
    m.height = kDigitHeight * m.px;
    const qreal weight = m.px < 40 ? 1.5 : 1.0;
    m.stroke = std::max<qreal>(1.5, (style.bold ? kBoldStroke : kStroke) * weight * m.px);
    m.cellWidth = std::max(kBodyWidth * m.px, 2 * m.stroke + std::max<qreal>(2.0, 0.7 * m.stroke));
    m.gap = std::max({kCellGap * m.px, 0.6 * m.stroke, qreal(2.0)});
    m.ring = std::max<qreal>(3.0, 0.24 * m.height);
    m.ringPen = std::max<qreal>(1.0, m.stroke * 0.6);
    m.degreeWidth = std::max(kDegreeWidth * m.px, m.ring + 2 * m.ringPen + m.gap / 2);
    m.dot = m.stroke * 1.1;
    return m;
}

// Seven segments, as bits:
//    aaa
//   f   b
//    ggg
//   e   c
//    ddd
enum Segment : unsigned { A = 1, B = 2, C = 4, D = 8, E = 16, F = 32, G = 64 };

struct Line {
    qreal x1, y1, x2, y2; // in cell units: x 0..width, y 0 (top) .. 1 (bottom)
};

// One glyph: its lit segments, extra strokes, a degree mark, and its width
// in cell units.
struct Glyph {
    unsigned segments = 0;
    std::vector<Line> strokes;
    bool degree = false; // the small ring of the temperature symbols
    qreal width = 1.0;
    bool isCell = true; // a seven-segment cell (gets ghost segments)
    bool known = true;
};

Glyph glyphFor(QChar ch)
{
    Glyph g;
    switch (ch.unicode()) {
    case '0': g.segments = A | B | C | D | E | F; break;
    case '1': g.segments = B | C; break;
    case '2': g.segments = A | B | D | E | G; break;
    case '3': g.segments = A | B | C | D | G; break;
    case '4': g.segments = B | C | F | G; break;
    case '5': g.segments = A | C | D | F | G; break;
    case '6': g.segments = A | C | D | E | F | G; break;
    case '7': g.segments = A | B | C; break;
    case '8': g.segments = A | B | C | D | E | F | G; break;
    case '9': g.segments = A | B | C | D | F | G; break;
    case 'C': g.segments = A | D | E | F; break;
    case 'D': g.segments = B | C | D | E | G; break; // lower-case d, as meters show it
    case 'E': g.segments = A | D | E | F | G; break;
    case '@': g.segments = D | E | F; break; // the letter L
    case '-': g.segments = G; break;
    case ' ': break;
    case 'K': // the kelvin symbol
        g.segments = E | F;
        g.strokes = {{1.0, 0.0, 0.08, 0.5}, {0.08, 0.5, 1.0, 1.0}};
        g.width = 1.15;
        g.isCell = false;
        break;
    case '#': // degrees Celsius
        g.segments = A | D | E | F;
        g.degree = true;
        g.width = 1.25;
        g.isCell = false;
        break;
    case '?': // degrees Fahrenheit
        g.segments = A | E | F | G;
        g.degree = true;
        g.width = 1.25;
        g.isCell = false;
        break;
    case ':':
        g.width = 0.35;
        g.isCell = false;
        break;
    default:
        g.known = false;
        g.isCell = false;
        break;
    }
    return g;
}

// The temperature symbols put the degree ring before the letter; a colon's
// dot sits centred between its neighbours.
qreal glyphAdvance(QChar ch, const Glyph& g, const Metrics& m)
{
    if (ch == QLatin1Char(':'))
        return m.dot + 2 * m.gap;
    return (g.degree ? m.degreeWidth : 0.0) + g.width * m.cellWidth + m.gap;
}

QFont fallbackFont(const Style& style)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    // Capitals as tall as a digit cell.
    font.setPixelSize(std::max(1, int(std::lround(style.pixelSize * kDigitHeight / 0.72))));
    font.setBold(style.bold);
    return font;
}

// The channel and clock-mode captions ("T1", "T1-T2", "H:M", "M:S") are
// printed annunciators on the meter's glass, not segment digits: a text that
// begins with a letter the LCD has no glyph for is drawn wholly in the plain
// face. Any other text is drawn glyph by glyph, with plain letters where the
// LCD has none (the type letter of "?-J").
bool isCaption(const QString& text)
{
    return !text.isEmpty() && text.at(0).isLetter() && !glyphFor(text.at(0)).known;
}

// Below this em height on the device a segment is about a pixel thick.
constexpr qreal kCrispBelowPixels = 16;

// Only an unscaled painter has whole pixels to draw on (a printout's page is
// scaled to the printer and keeps the smooth glyphs).
bool isCrisp(const QPainter& painter, const Style& style)
{
    const QTransform t = painter.deviceTransform();
    return !t.isScaling() && !t.isRotating() && style.pixelSize < kCrispBelowPixels;
}

class GlyphPainter {
public:
    GlyphPainter(QPainter& painter, const Style& style)
        : p_(painter), style_(style), m_(metricsFor(style)), crisp_(isCrisp(painter, style))
    {
    }

    // Draws one glyph with its cell's left edge at x and returns the advance.
    qreal draw(QChar ch, qreal x, qreal baseline)
    {
        const Glyph g = glyphFor(ch);
        if (!g.known)
            return drawFallback(ch, x, baseline);
        top_ = baseline - m_.height;
        qreal cellX = x;
        if (g.degree) {
            if (!crisp_)
                drawDegree(cellX);
            cellX += m_.degreeWidth;
        }
        originX_ = cellX;
        // Symbol cells are wider than digit cells.
        glyphWidth_ = m_.cellWidth * g.width;
        if (ch == QLatin1Char(':')) {
            drawColon(x);
            return glyphAdvance(ch, g, m_);
        }
        if (crisp_) {
            drawCrisp(g, cellX);
            return glyphAdvance(ch, g, m_);
        }
        if (style_.ghostSegments && g.isCell) {
            QColor ghost = style_.ink;
            ghost.setAlpha(22);
            drawSegments(A | B | C | D | E | F | G, ghost);
        }
        drawSegments(g.segments, style_.ink);
        for (const Line& line : g.strokes)
            drawStroke(line, style_.ink);
        return glyphAdvance(ch, g, m_);
    }

private:
    QPointF map(qreal ux, qreal uy) const
    {
        // The segments' centre lines lie half a stroke inside the cell, so
        // their ink stays within it. Slant: the top leans right.
        const qreal y = top_ + uy * m_.height;
        const qreal x = originX_ + m_.stroke / 2 + ux * (glyphWidth_ - m_.stroke) +
                        (1.0 - uy) * kSlant * m_.height;
        return {x, y};
    }

    // A segment as a hexagon with pointed ends, shortened to leave small gaps.
    void drawSegment(qreal x1, qreal y1, qreal x2, qreal y2, const QColor& colour)
    {
        const QPointF p1 = map(x1, y1);
        const QPointF p2 = map(x2, y2);
        const QPointF d = p2 - p1;
        const qreal len = std::hypot(d.x(), d.y());
        if (len <= 0)
            return;
        const QPointF u = d / len;
        const QPointF n(-u.y(), u.x());
        const qreal half = m_.stroke / 2;
        const qreal gap = m_.stroke * 0.18;
        const QPointF s = p1 + u * gap;
        const QPointF e = p2 - u * gap;
        QPolygonF poly;
        poly << s << s + u * half + n * half << e - u * half + n * half << e
             << e - u * half - n * half << s + u * half - n * half;
        p_.setPen(Qt::NoPen);
        p_.setBrush(colour);
        p_.drawPolygon(poly);
    }

    void drawSegments(unsigned bits, const QColor& colour)
    {
        if (bits & A)
            drawSegment(0, 0, 1, 0, colour);
        if (bits & B)
            drawSegment(1, 0, 1, 0.5, colour);
        if (bits & C)
            drawSegment(1, 0.5, 1, 1, colour);
        if (bits & D)
            drawSegment(0, 1, 1, 1, colour);
        if (bits & E)
            drawSegment(0, 0.5, 0, 1, colour);
        if (bits & F)
            drawSegment(0, 0, 0, 0.5, colour);
        if (bits & G)
            drawSegment(0, 0.5, 1, 0.5, colour);
    }

    void drawStroke(const Line& line, const QColor& colour)
    {
        QPen pen(colour, m_.stroke * 0.85, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        p_.setPen(pen);
        p_.setBrush(Qt::NoBrush);
        p_.drawLine(map(line.x1, line.y1), map(line.x2, line.y2));
    }

    void drawDegree(qreal x)
    {
        const qreal pen = m_.ringPen;
        const QRectF ring(x + kSlant * m_.height * 0.9 + pen / 2, top_ + pen / 2, m_.ring, m_.ring);
        p_.setPen(QPen(style_.ink, pen));
        p_.setBrush(Qt::NoBrush);
        p_.drawEllipse(ring);
    }

    void drawColon(qreal x)
    {
        const qreal dot = m_.dot;
        p_.setPen(Qt::NoPen);
        p_.setBrush(style_.ink);
        for (qreal uy : {0.3, 0.75}) {
            const qreal y = top_ + uy * m_.height;
            const qreal left = x + m_.gap / 2 + (1.0 - uy) * kSlant * m_.height;
            p_.drawRect(QRectF(left, y - dot / 2, dot, dot));
        }
    }

    // A grid cell's size: slanted, antialiased segments of a pixel and a half
    // blur into each other ("E" read as a curly letter), so the glyph is
    // drawn upright on whole pixels, one pixel strokes, like a bitmap font.
    void drawCrisp(const Glyph& g, qreal cellX)
    {
        p_.save();
        p_.setRenderHint(QPainter::Antialiasing, false);
        p_.setPen(Qt::NoPen);
        p_.setBrush(style_.ink);
        const int height = int(std::lround(m_.height)) | 1; // odd: a middle row
        const int left = int(std::lround(cellX)), top = int(std::lround(top_));
        const int right = left + int(std::lround(glyphWidth_)) - 1, bottom = top + height - 1;
        const int middle = top + height / 2;
        // Each segment as a line of whole pixels from one corner to another.
        const struct {
            unsigned bit;
            QPoint from, to;
        } lines[] = {
            {A, {left, top}, {right, top}},        {G, {left, middle}, {right, middle}},
            {D, {left, bottom}, {right, bottom}},  {F, {left, top}, {left, middle}},
            {E, {left, middle}, {left, bottom}},   {B, {right, top}, {right, middle}},
            {C, {right, middle}, {right, bottom}},
        };
        for (const auto& line : lines) {
            if (g.segments & line.bit)
                p_.drawRect(QRect(line.from, line.to));
        }
        // The kelvin symbol's arms: from the top right to the stem's middle
        // and back down to the bottom right, one pixel wide.
        if (!g.strokes.empty()) {
            p_.setPen(QPen(style_.ink, 0));
            p_.drawLine(right, top, left + 1, middle);
            p_.drawLine(left + 1, middle, right, bottom);
        }
        if (g.degree) {
            // A ring of 4 by 4 pixels left of the letter, at its top.
            const int ringLeft = int(std::lround(cellX - m_.degreeWidth));
            p_.setPen(QPen(style_.ink, 0));
            p_.setBrush(Qt::NoBrush);
            p_.drawRect(QRect(ringLeft + 1, top, 3, 3));
        }
        p_.restore();
    }

    qreal drawFallback(QChar ch, qreal x, qreal baseline)
    {
        const QFont font = fallbackFont(style_);
        p_.setFont(font);
        p_.setPen(style_.ink);
        p_.drawText(QPointF(x, baseline), QString(ch));
        return QFontMetricsF(font).horizontalAdvance(ch);
    }

    QPainter& p_;
    const Style& style_;
    const Metrics m_;
    const bool crisp_;
    qreal top_ = 0, originX_ = 0, glyphWidth_ = 0;
};

// Advance of every character, as drawText places them.
std::vector<qreal> advances(const QString& text, const Style& style)
{
    std::vector<qreal> result;
    result.reserve(size_t(text.size()));
    if (isCaption(text)) {
        const QFontMetricsF metrics(fallbackFont(style));
        qreal before = 0;
        for (qsizetype i = 1; i <= text.size(); ++i) {
            const qreal upTo = metrics.horizontalAdvance(text.left(i));
            result.push_back(upTo - before);
            before = upTo;
        }
        return result;
    }
    const Metrics m = metricsFor(style);
    const QFontMetricsF fallback(fallbackFont(style));
    for (QChar ch : text) {
        const Glyph g = glyphFor(ch);
        result.push_back(g.known ? glyphAdvance(ch, g, m) : fallback.horizontalAdvance(ch));
    }
    return result;
}

} // namespace

QSizeF textSize(const QString& text, const Style& style)
{
    const qreal height = std::ceil(style.pixelSize * 1.115);
    if (isCaption(text))
        return {std::ceil(QFontMetricsF(fallbackFont(style)).horizontalAdvance(text)), height};
    qreal width = 0;
    for (qreal advance : advances(text, style))
        width += advance;
    if (!text.isEmpty())
        width += kSlant * kDigitHeight * style.pixelSize;
    return {std::ceil(width), height};
}

std::vector<qreal> glyphOffsets(const QString& text, const Style& style)
{
    std::vector<qreal> offsets;
    offsets.reserve(size_t(text.size()));
    qreal x = 0;
    for (qreal advance : advances(text, style)) {
        offsets.push_back(x);
        x += advance;
    }
    return offsets;
}

void drawText(QPainter& painter, const QPointF& topLeft, const QString& text, const Style& style)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const qreal baseline = topLeft.y() + kBaseline * style.pixelSize;
    if (isCaption(text)) {
        painter.setFont(fallbackFont(style));
        painter.setPen(style.ink);
        painter.drawText(QPointF(topLeft.x(), baseline), text);
        painter.restore();
        return;
    }
    GlyphPainter glyphs(painter, style);
    qreal x = topLeft.x();
    for (QChar ch : text)
        x += glyphs.draw(ch, x, baseline);
    painter.restore();
}

void drawTextIn(QPainter& painter, const QRectF& rect, const QString& text, const Style& style,
                Qt::Alignment alignment)
{
    const QSizeF size = textSize(text, style);
    qreal x = rect.left();
    if (alignment & Qt::AlignRight)
        x = rect.right() - size.width();
    else if (alignment & Qt::AlignHCenter)
        x = rect.left() + (rect.width() - size.width()) / 2;
    // Centre the digit cell, not the whole em box.
    const qreal cellCentre = (kBaseline - kDigitHeight / 2) * style.pixelSize;
    const qreal y = rect.center().y() - cellCentre;
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    drawText(painter, QPointF(x, y), text, style);
    painter.restore();
}

} // namespace lcd
