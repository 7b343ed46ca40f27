#include "print/ReportPainter.h"

#include "lcd/LcdText.h"
#include "print/ReportLayout.h"
#include "print/ReportRows.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPainter>

#include <optional>
#include <unordered_map>

namespace {

QFont reportFont(const QString& family, int pixels)
{
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

// The unit texts drawn by the LCD renderer, each drawn once per size into
// an image that every row then reuses: a page has a unit on every line, and
// a PDF writer stores an image it is given again only once, where drawing
// the symbols' segments anew on every line would put all of them into the
// file each time. The pixels equal drawing the text directly. GUI thread
// only, like all painting.
const QImage& unitStamp(const QString& text, const lcd::Style& style)
{
    struct Key {
        QString text;
        int pixels;
        bool operator==(const Key& o) const { return pixels == o.pixels && text == o.text; }
    };
    struct KeyHash {
        size_t operator()(const Key& k) const { return qHash(k.text) ^ size_t(k.pixels); }
    };
    static std::unordered_map<Key, QImage, KeyHash> stamps;
    const Key key{text, int(style.pixelSize)};
    const auto found = stamps.find(key);
    if (found != stamps.end())
        return found->second;
    if (stamps.size() >= 32) // few distinct units exist; bound the memory anyway
        stamps.clear();
    const QSizeF size = lcd::textSize(text, style);
    QImage image(std::max(1, int(size.width())), std::max(1, int(size.height())),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        lcd::drawText(painter, QPointF(0, 0), text, style);
    }
    return stamps.emplace(key, std::move(image)).first->second;
}

} // namespace

int reportTextFlags(const ReportItem& item, const QFontMetrics& metrics)
{
    const int align = (item.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop;
    if (item.box.height() >= 2 * metrics.lineSpacing() &&
        metrics.boundingRect(item.box, align | Qt::TextWordWrap, item.text).height() <=
            item.box.height())
        return align | Qt::TextWordWrap;
    return align | Qt::TextSingleLine;
}

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
    std::optional<QFontMetrics> metrics;
    for (const ReportItem& item : layout.pageItems(page, rows)) {
        if (item.face == ReportFace::Unit) {
            const QImage& stamp = unitStamp(item.text, unitStyle);
            if (item.box.width() >= stamp.width() && item.box.height() >= stamp.height()) {
                painter.drawImage(item.box.topLeft(), stamp);
            } else { // cut at the band, as a long text is
                const QSize shown = stamp.size().boundedTo(item.box.size());
                painter.drawImage(QRect(item.box.topLeft(), shown), stamp,
                                  QRect(QPoint(0, 0), shown));
            }
            continue;
        }
        const QFont* font = item.face == ReportFace::Label ? &labelFont : &dataFont;
        if (font != current) {
            painter.setFont(*font);
            metrics.emplace(painter.fontMetrics());
            current = font;
        }
        painter.drawText(item.box, reportTextFlags(item, *metrics), item.text);
    }
    painter.restore();
}
