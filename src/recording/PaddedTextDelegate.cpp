#include "recording/PaddedTextDelegate.h"

#include <QApplication>
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

void PaddedTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    // The style draws the cell's background and selection, this the text.
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = option.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const int margin = std::max(kPadding, styleTextMargin(*style, widget));
    const QRect room = option.rect.adjusted(margin, 0, -margin, 0);
    painter->save();
    painter->setFont(fitting(opt.font, text, room.width()));
    painter->setPen(opt.palette.color(QPalette::Normal, (opt.state & QStyle::State_Selected)
                                                            ? QPalette::HighlightedText
                                                            : QPalette::Text));
    painter->setClipRect(option.rect.adjusted(kPadding, 0, -kPadding, 0));
    painter->drawText(room, int(opt.displayAlignment) | Qt::TextSingleLine, text);
    painter->restore();
}
