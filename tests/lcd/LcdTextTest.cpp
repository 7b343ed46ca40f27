// The LCD renderer draws the glyphs the readout relies on: checked by where
// ink lands in a rendered cell.
#include "lcd/LcdText.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <utility>
#include <vector>

namespace {

constexpr qreal kPixelSize = 100;

QImage render(const QString& text)
{
    lcd::Style style;
    style.pixelSize = kPixelSize;
    const QSize size = lcd::textSize(text, style).toSize();
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    lcd::drawText(painter, QPointF(0, 0), text, style);
    return image;
}

// Share of dark pixels in a region: x as fractions of the image's width, y as
// fractions of the em (the pixel size).
double ink(const QImage& image, double x0, double y0, double x1, double y1)
{
    int dark = 0, all = 0;
    for (int y = int(y0 * kPixelSize); y < int(y1 * kPixelSize) && y < image.height(); ++y)
        for (int x = int(x0 * image.width()); x < int(x1 * image.width()); ++x) {
            ++all;
            if (qGray(image.pixel(x, y)) < 128)
                ++dark;
        }
    return all ? double(dark) / all : 0;
}

// Regions of one digit cell (the cell spans the left ~85% of its box,
// vertically from 0.22 to 0.91 of the em).
struct Regions {
    double top, middle, bottom, left, right;
};
const Regions cell{0.22, 0.565, 0.91, 0.1, 0.75};

bool hasTopBar(const QImage& i)
{
    return ink(i, 0.3, cell.top - 0.03, 0.7, cell.top + 0.04) > 0.2;
}
bool hasMiddleBar(const QImage& i)
{
    return ink(i, 0.3, cell.middle - 0.03, 0.6, cell.middle + 0.03) > 0.2;
}
bool hasBottomBar(const QImage& i)
{
    return ink(i, 0.25, cell.bottom - 0.04, 0.6, cell.bottom + 0.02) > 0.2;
}
bool hasLowerLeft(const QImage& i)
{
    return ink(i, 0.0, 0.65, 0.25, 0.85) > 0.05;
}
bool hasUpperRight(const QImage& i)
{
    return ink(i, 0.7, 0.3, 1.0, 0.5) > 0.05;
}

TEST(LcdGlyphs, SegmentsOfTheReadoutCharacters)
{
    struct Case {
        QString text;
        bool top, middle, bottom, lowerLeft, upperRight;
    };
    const Case cases[] = {
        {"8", true, true, true, true, true},
        {"1", false, false, false, false, true},
        {"-", false, true, false, false, false},
        {"@", false, false, true, true, false}, // the letter L of the overload "0L"
        {"E", true, true, true, true, false},
        {" ", false, false, false, false, false},
    };
    for (const Case& c : cases) {
        const QImage image = render(c.text);
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(hasTopBar(image), c.top);
        EXPECT_EQ(hasMiddleBar(image), c.middle);
        EXPECT_EQ(hasBottomBar(image), c.bottom);
        EXPECT_EQ(hasLowerLeft(image), c.lowerLeft);
        EXPECT_EQ(hasUpperRight(image), c.upperRight);
    }
}

TEST(LcdGlyphs, TemperatureSymbolsDifferAndCarryADegreeRing)
{
    const QImage celsius = render("#");
    const QImage fahrenheit = render("?");
    EXPECT_NE(celsius, fahrenheit);
    // The ring sits at the top-left, before the letter.
    EXPECT_GT(ink(celsius, 0.0, 0.2, 0.3, 0.4), 0.05);
    EXPECT_GT(ink(fahrenheit, 0.0, 0.2, 0.3, 0.4), 0.05);
    // C has a bottom bar, F has none.
    EXPECT_GT(ink(celsius, 0.5, 0.85, 0.9, 0.93), 0.1);
    EXPECT_LT(ink(fahrenheit, 0.5, 0.85, 0.9, 0.93), 0.02);
}

TEST(LcdGlyphs, TextWidthGrowsWithEveryCharacter)
{
    lcd::Style style;
    style.pixelSize = 33;
    const qreal one = lcd::textSize("0", style).width();
    const qreal clock = lcd::textSize("00:00", style).width();
    EXPECT_GT(clock, 4 * one * 0.8);
    EXPECT_GT(lcd::textSize("T1-T2", style).width(), lcd::textSize("T1", style).width());
    EXPECT_EQ(lcd::textSize("", style).width(), 0);
}

TEST(LcdGlyphs, UnitTextDrawsSymbolDashAndLetter)
{
    // "#-K" is the Celsius symbol, a dash and the kelvin-style K: wider than
    // the symbol alone and with ink in all three thirds.
    const QImage unit = render("#-K");
    EXPECT_GT(ink(unit, 0.0, 0.2, 0.4, 0.95), 0.03);
    EXPECT_GT(ink(unit, 0.45, 0.5, 0.6, 0.65), 0.1);
    EXPECT_GT(ink(unit, 0.65, 0.2, 1.0, 0.95), 0.03);
}

QImage renderAt(const QString& text, const lcd::Style& style, QSize size, qreal x = 0)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    lcd::drawText(painter, QPointF(x, 0), text, style);
    return image;
}

// Leftmost and rightmost visibly inked column of a pixel row (-1 for none).
std::pair<int, int> rowInk(const QImage& image, int y)
{
    int left = -1, right = -1;
    for (int x = 0; x < image.width(); ++x)
        if (qGray(image.pixel(x, y)) < 200) {
            left = left < 0 ? x : left;
            right = x;
        }
    return {left, right};
}

TEST(LcdGlyphs, ClockDigitsKeepABlankColumnBetweenNeighboursAtEverySize)
{
    // Each glyph drawn alone at its place: on every pixel row its ink stays
    // right of its place and a blank column short of the next glyph's ink.
    constexpr qreal kMargin = 4;
    for (const qreal px : {11.0, 21.0, 33.0, 113.0})
        for (const bool bold : {false, true})
            for (const QString text : {"11:11", "10:01", "16:30", "34:12", "88:88"}) {
                SCOPED_TRACE(
                    QStringLiteral("%1 %2 px bold %3").arg(text).arg(px).arg(bold).toStdString());
                const lcd::Style style{px, bold};
                const QSize size = lcd::textSize(text, style).toSize() + QSize(2 * kMargin, 0);
                const std::vector<qreal> at = lcd::glyphOffsets(text, style);
                ASSERT_EQ(at.size(), size_t(text.size()));
                std::vector<QImage> glyphs;
                for (int i = 0; i < text.size(); ++i)
                    glyphs.push_back(
                        renderAt(text.mid(i, 1), style, size, kMargin + at[size_t(i)]));
                for (int y = 0; y < size.height(); ++y)
                    for (size_t i = 0; i < glyphs.size(); ++i) {
                        const auto [left, right] = rowInk(glyphs[i], y);
                        const int next =
                            i + 1 < glyphs.size() ? rowInk(glyphs[i + 1], y).first : -1;
                        if (left < 0)
                            continue;
                        EXPECT_GE(left, int(kMargin + at[i])) << "glyph " << i;
                        ASSERT_TRUE(next < 0 || right + 1 < next) << "glyph " << i << ", row " << y;
                    }
            }
}

TEST(LcdGlyphs, EveryUnitTextDrawsItsSymbolBeforeAPlainTypeLetter)
{
    // The symbol and dash look as without the letter; the letter has ink.
    const lcd::Style style{32};
    for (const QChar unit : QStringLiteral("#?K"))
        for (const QChar type : QStringLiteral("KJTENRS")) {
            const QString text = QString(unit) + QLatin1Char('-') + type;
            SCOPED_TRACE(text.toStdString());
            const QSize size = lcd::textSize(text, style).toSize();
            const QImage whole = renderAt(text, style, size);
            const int letterAt = int(lcd::glyphOffsets(text, style).at(2));
            const QRect symbol(0, 0, letterAt, size.height());
            EXPECT_EQ(whole.copy(symbol), renderAt(text.left(2), style, size).copy(symbol));
            EXPECT_GT(ink(whole.copy(letterAt, 0, size.width() - letterAt, size.height()), 0.0, 0.2,
                          1.0, 0.95),
                      0.03);
        }
}

// The grid's unit column draws at 11 pixels: every symbol and type letter
// is drawn on whole pixels in full ink (no grey smudge) and no two look alike.
TEST(LcdGlyphs, GridSizeGlyphsAreCrispAndTellApart)
{
    lcd::Style style;
    style.pixelSize = 11;
    style.ink = Qt::black;
    std::vector<std::pair<QString, QImage>> seen;
    for (const QString glyph : {"#", "?", "K", "E", "C", "D", "-", "@", "0", "1", "2", "3", "4",
                                "5", "6", "7", "8", "9"}) {
        QImage image(20, 14, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            lcd::drawText(painter, QPointF(1, 1), glyph, style);
        }
        int ink = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const int gray = qGray(image.pixel(x, y));
                EXPECT_TRUE(gray == 0 || gray == 255)
                    << glyph.toStdString() << " grey at " << x << "," << y;
                ink += gray == 0;
            }
        EXPECT_GT(ink, 0) << glyph.toStdString();
        for (const auto& [other, otherImage] : seen)
            EXPECT_NE(image, otherImage) << glyph.toStdString() << " looks like " << other.toStdString();
        seen.emplace_back(glyph, image);
    }
}

} // namespace
