#pragma once

#include <QStyledItemDelegate>

// A table column that draws its texts itself: the style draws each cell's
// background and selection as for any item, then drawText puts the text in.
class CellTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const final;

protected:
    // item: the cell's options, its font and palette among them.
    virtual void drawText(QPainter& painter, const QStyleOptionViewItem& item,
                          const QString& text) const = 0;
    // The colour of the cell's text, selected or not.
    static QColor inkOf(const QStyleOptionViewItem& item);
    static const QStyle& styleOf(const QStyleOptionViewItem& item);
};
