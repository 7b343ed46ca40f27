#include "lcd/LcdItemDelegate.h"

#include <QApplication>
#include <QPainter>

LcdItemDelegate::LcdItemDelegate(qreal pixelSize, QObject* parent) : QStyledItemDelegate(parent)
{
    style_.pixelSize = pixelSize;
}

void LcdItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    // Let the style draw the cell's background and selection, then the text.
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    lcd::Style lcdStyle = style_;
    lcdStyle.ink = (option.state & QStyle::State_Selected)
                       ? option.palette.color(QPalette::HighlightedText)
                       : option.palette.color(QPalette::Text);
    lcd::drawTextIn(*painter, option.rect.adjusted(2, 0, -2, 0), text, lcdStyle);
}

QSize LcdItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QSize base = QStyledItemDelegate::sizeHint(option, index);
    const QSizeF lcdSize = lcd::textSize(index.data().toString(), style_);
    return {std::max(base.width(), int(lcdSize.width()) + 4), base.height()};
}
