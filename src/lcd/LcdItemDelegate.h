#pragma once

#include "lcd/LcdText.h"

#include <QStyledItemDelegate>

// Draws a table column's texts with the LCD symbol renderer (the unit
// column, where "#-K" shows as the Celsius symbol, a dash and K).
class LcdItemDelegate : public QStyledItemDelegate {
public:
    explicit LcdItemDelegate(qreal pixelSize, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    lcd::Style style_;
};
