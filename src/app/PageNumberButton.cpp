#include "app/PageNumberButton.h"

#include <QFontMetrics>
#include <QStyleOptionToolButton>
#include <QStylePainter>

#include <algorithm>

namespace {

constexpr int kLineGap = 1;

// Splits the text into lines of nearly equal length, the longer first.
QStringList split(const QString& text, int lines)
{
    QStringList parts;
    qsizetype at = 0;
    for (int i = lines; i > 0; --i) {
        const qsizetype length = (text.size() - at + i - 1) / i;
        parts << text.mid(at, length);
        at += length;
    }
    return parts;
}

// Digits carry no descenders: their ink, not the font's line height, has to
// fit, which leaves two lines room in a toolbar button.
QSize inkSize(const QFontMetrics& metrics, const QStringList& lines)
{
    int width = 0, height = 0;
    for (const QString& line : lines) {
        const QRect ink = metrics.tightBoundingRect(line);
        width = std::max(width, ink.width());
        height += ink.height();
    }
    return {width, height + kLineGap * int(lines.size() - 1)};
}

} // namespace

PageNumberButton::PageNumberButton(QWidget* parent) : QToolButton(parent) {}

QRect PageNumberButton::captionRect() const
{
    // Inside the raised frame's one-pixel line.
    return rect().adjusted(1, 1, -1, -1);
}

PageNumberButton::Caption PageNumberButton::caption() const
{
    const QSize room = captionRect().size();
    const int largest = QFontInfo(font()).pixelSize();
    Caption fit{font(), {text()}};
    for (int lines : {1, 2}) {
        const int smallest = lines == 1 ? kSmallestOneLinePixels : kSmallestPixels;
        fit.lines = split(text(), lines);
        for (int pixels = largest; pixels >= smallest; --pixels) {
            fit.font.setPixelSize(pixels);
            const QSize ink = inkSize(QFontMetrics(fit.font), fit.lines);
            if (ink.width() <= room.width() && ink.height() <= room.height())
                return fit;
        }
    }
    return fit; // longer than any page number: the smallest two lines, cut
}

void PageNumberButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    const Caption shown = caption();
    painter.setFont(shown.font);
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.setClipRect(captionRect());
    const QFontMetrics metrics(shown.font);
    const QRect room = captionRect();
    const QSize ink = inkSize(metrics, shown.lines);
    // Each line's ink centred; the block of lines centred as a whole.
    int top = room.top() + (room.height() - ink.height() + 1) / 2;
    for (const QString& line : shown.lines) {
        const QRect lineInk = metrics.tightBoundingRect(line);
        const int left = room.left() + (room.width() - lineInk.width() + 1) / 2 - lineInk.left();
        painter.drawText(left, top - lineInk.top(), line);
        top += lineInk.height() + kLineGap;
    }
}
