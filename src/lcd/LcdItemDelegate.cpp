#include "lcd/LcdItemDelegate.h"

#include <QPainter>

LcdItemDelegate::LcdItemDelegate(qreal pixelSize, QObject* parent) : CellTextDelegate(parent)
{
    style_.pixelSize = pixelSize;
}

void LcdItemDelegate::drawText(QPainter& painter, const QStyleOptionViewItem& item,
                               const QString& text) const
{
    lcd::Style lcdStyle = style_;
    lcdStyle.ink = inkOf(item);
    lcd::drawTextIn(painter, item.rect.adjusted(2, 0, -2, 0), text, lcdStyle);
}

QSize LcdItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QSize base = QStyledItemDelegate::sizeHint(option, index);
    const QSizeF lcdSize = lcd::textSize(index.data().toString(), style_);
    return {std::max(base.width(), int(lcdSize.width()) + 4), base.height()};
}
