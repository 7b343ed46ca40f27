#include "app/Pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace pictures {
namespace {

void arrow(QPainter& p, qreal s, bool left, bool bar)
{
    const QColor blue(0x1f, 0x4e, 0xa8);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    QPolygonF tri;
    if (left)
        tri << QPointF(s * 0.3, s * 0.5) << QPointF(s * 0.75, s * 0.2)
            << QPointF(s * 0.75, s * 0.8);
    else
        tri << QPointF(s * 0.7, s * 0.5) << QPointF(s * 0.25, s * 0.2)
            << QPointF(s * 0.25, s * 0.8);
    p.drawPolygon(tri);
    if (bar) {
        const qreal x = left ? s * 0.18 : s * 0.72;
        p.drawRect(QRectF(x, s * 0.2, s * 0.1, s * 0.6));
    }
}

void plug(QPainter& p, qreal s, const QColor& colour)
{
    p.setPen(QPen(colour.darker(140), s * 0.06));
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(s * 0.22, s * 0.3, s * 0.56, s * 0.42), s * 0.08, s * 0.08);
    p.drawRect(QRectF(s * 0.32, s * 0.12, s * 0.08, s * 0.18));
    p.drawRect(QRectF(s * 0.6, s * 0.12, s * 0.08, s * 0.18));
    p.drawRect(QRectF(s * 0.45, s * 0.72, s * 0.1, s * 0.2));
}

} // namespace

QPixmap pixmap(Kind kind, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    switch (kind) {
    case Kind::NewRecording:
        p.setPen(QPen(Qt::darkGray, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.2, s * 0.1, s * 0.55, s * 0.8));
        p.setPen(QPen(QColor(0xc0, 0x20, 0x20), s * 0.12, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.5, s * 0.45), QPointF(s * 0.85, s * 0.85));
        p.drawLine(QPointF(s * 0.85, s * 0.45), QPointF(s * 0.5, s * 0.85));
        break;
    case Kind::OpenFile:
        p.setPen(QPen(QColor(0x8a, 0x6a, 0x10), 1));
        p.setBrush(QColor(0xf0, 0xc8, 0x50));
        p.drawRect(QRectF(s * 0.1, s * 0.3, s * 0.75, s * 0.55));
        p.setBrush(QColor(0xf8, 0xe0, 0x80));
        p.drawPolygon(QPolygonF() << QPointF(s * 0.25, s * 0.5) << QPointF(s * 0.95, s * 0.5)
                                  << QPointF(s * 0.8, s * 0.85) << QPointF(s * 0.1, s * 0.85));
        break;
    case Kind::SaveFile:
        p.setPen(QPen(QColor(0x20, 0x30, 0x60), 1));
        p.setBrush(QColor(0x30, 0x50, 0xa0));
        p.drawRect(QRectF(s * 0.12, s * 0.12, s * 0.76, s * 0.76));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.25, s * 0.12, s * 0.5, s * 0.3));
        p.setBrush(QColor(0xc0, 0xc0, 0xc0));
        p.drawRect(QRectF(s * 0.3, s * 0.6, s * 0.4, s * 0.28));
        break;
    case Kind::Print:
        p.setPen(QPen(Qt::darkGray, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.3, s * 0.08, s * 0.4, s * 0.35));
        p.setBrush(QColor(0x90, 0x90, 0x90));
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.4, s * 0.8, s * 0.35), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.3, s * 0.65, s * 0.4, s * 0.27));
        break;
    case Kind::First: arrow(p, s, true, true); break;
    case Kind::Previous: arrow(p, s, true, false); break;
    case Kind::Next: arrow(p, s, false, false); break;
    case Kind::Last: arrow(p, s, false, true); break;
    case Kind::SavePicture:
        p.setPen(QPen(Qt::darkGray, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.1, s * 0.15, s * 0.8, s * 0.7));
        p.setPen(QPen(Qt::blue, s * 0.08));
        p.drawPolyline(QPolygonF() << QPointF(s * 0.15, s * 0.7) << QPointF(s * 0.35, s * 0.45)
                                   << QPointF(s * 0.55, s * 0.6) << QPointF(s * 0.85, s * 0.3));
        break;
    case Kind::Connected: plug(p, s, QColor(0x20, 0xb0, 0x40)); break;
    case Kind::NotConnected:
        plug(p, s, QColor(0xa0, 0xa0, 0xa0));
        p.setPen(QPen(QColor(0xd0, 0x20, 0x20), s * 0.1, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.15, s * 0.15), QPointF(s * 0.85, s * 0.85));
        break;
    case Kind::Quit:
        p.setPen(QPen(QColor(0xc0, 0x20, 0x20), s * 0.14, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.25, s * 0.25), QPointF(s * 0.75, s * 0.75));
        p.drawLine(QPointF(s * 0.75, s * 0.25), QPointF(s * 0.25, s * 0.75));
        break;
    }
    return pm;
}

} // namespace pictures
