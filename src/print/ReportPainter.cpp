#include "print/ReportPainter.h"

#include "lcd/LcdText.h"
#include "print/ReportLayout.h"
#include "print/ReportRows.h"

#include <QFont>
#include <QPainter>

namespace {

QFont reportFont(const QString& family, int pixels)
{
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

} // namespace

void paintReportPage(QPainter& painter, const ReportLayout& layout, const ReportRows& rows,
                     int page)
{
    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), layout.pageSize()), Qt::white);
    const int pixels = layout.fontPixels();
    const QFont labelFont = reportFont(QStringLiteral("MS Sans Serif"), pixels);
    const QFont dataFont = reportFont(QStringLiteral("Arial"), pixels);
    lcd::Style unitStyle;
    unitStyle.pixelSize = pixels;
    unitStyle.ink = Qt::black;

    painter.setPen(Qt::black);
    const QFont* current = nullptr;
    for (const ReportItem& item : layout.pageItems(page, rows)) {
        if (item.face == ReportFace::Unit) {
            painter.save();
            painter.setClipRect(item.box);
            lcd::drawText(painter, item.box.topLeft(), item.text, unitStyle);
            painter.restore();
            current = nullptr; // the renderer sets fonts of its own
            continue;
        }
        const QFont* font = item.face == ReportFace::Label ? &labelFont : &dataFont;
        if (font != current) {
            painter.setFont(*font);
            current = font;
        }
        const int align = (item.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop;
        painter.drawText(item.box, align | Qt::TextWordWrap, item.text);
    }
    painter.restore();
}
