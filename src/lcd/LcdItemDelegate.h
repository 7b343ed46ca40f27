#pragma once

#include "lcd/CellTextDelegate.h"
#include "lcd/LcdText.h"

// Draws a table column's texts with the LCD symbol renderer (the unit
// column, where "#-K" shows as the Celsius symbol, a dash and K).
class LcdItemDelegate : public CellTextDelegate {
public:
    explicit LcdItemDelegate(qreal pixelSize, QObject* parent = nullptr);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void drawText(QPainter& painter, const QStyleOptionViewItem& item,
                  const QString& text) const override;

private:
    lcd::Style style_;
};
