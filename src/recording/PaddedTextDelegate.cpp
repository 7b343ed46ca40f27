#include "recording/PaddedTextDelegate.h"

#include <QPainter>

namespace {

// The style's own gap between a cell's border and its text.
int styleTextMargin(const QStyle& style, const QWidget* widget)
{
    return style.pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
}

} // namespace

QFont PaddedTextDelegate::fitting(const QFont& font, const QString& text, int width)
{
    QFont fit = font;
    const qreal spacing = font.letterSpacing();
    // Half a pixel less between letters at a time, down to two pixels less.
    for (qreal closer = 0.5; closer <= 2 && QFontMetrics(fit).horizontalAdvance(text) > width;
         closer += 0.5)
        fit.setLetterSpacing(QFont::AbsoluteSpacing, spacing - closer);
    return fit;
}

void PaddedTextDelegate::drawText(QPainter& painter, const QStyleOptionViewItem& item,
                                  const QString& text) const
{
    const int margin = std::max(kPadding, styleTextMargin(styleOf(item), item.widget));
    const QRect room = item.rect.adjusted(margin, 0, -margin, 0);
    painter.save();
    painter.setFont(fitting(item.font, text, room.width()));
    painter.setPen(inkOf(item));
    painter.setClipRect(item.rect.adjusted(kPadding, 0, -kPadding, 0));
    painter.drawText(room, int(item.displayAlignment) | Qt::TextSingleLine, text);
    painter.restore();
}
