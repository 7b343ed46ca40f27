#include "lcd/CellTextDelegate.h"

#include <QApplication>

void CellTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();
    styleOf(item).drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
    drawText(*painter, item, text);
}

QColor CellTextDelegate::inkOf(const QStyleOptionViewItem& item)
{
    // The colour group as the style picks it for an item's text.
    const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (item.state & QStyle::State_Active) ? QPalette::Normal
                                                                             : QPalette::Inactive;
    return item.palette.color(
        group, (item.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text);
}

const QStyle& CellTextDelegate::styleOf(const QStyleOptionViewItem& item)
{
    return item.widget ? *item.widget->style() : *QApplication::style();
}
