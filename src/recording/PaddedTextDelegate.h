#pragma once

#include "lcd/CellTextDelegate.h"

// Draws a narrow column's texts whole and a pixel clear of the grid lines,
// whatever the style's own text margin: a value such as "-023.5" fills most
// of its 42-pixel column, and a style with a small margin put its minus sign
// on the left border. A text wider than its room is drawn with its letters
// closer together rather than cut short with an ellipsis.
class PaddedTextDelegate : public CellTextDelegate {
public:
    static constexpr int kPadding = 1;

    using CellTextDelegate::CellTextDelegate;

    // The font that fits text into width pixels: font itself, or font with
    // its letters drawn closer together.
    static QFont fitting(const QFont& font, const QString& text, int width);

protected:
    void drawText(QPainter& painter, const QStyleOptionViewItem& item,
                  const QString& text) const override;
};
