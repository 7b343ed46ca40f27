#include "lcd/LcdLabel.h"

#include <QPainter>

LcdLabel::LcdLabel(const QString& text, qreal pixelSize, bool bold, QWidget* parent)
    : QWidget(parent), text_(text)
{
    style_.pixelSize = pixelSize;
    style_.bold = bold;
    setAttribute(Qt::WA_TranslucentBackground);
    fitToText();
}

void LcdLabel::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    fitToText();
    update();
}

void LcdLabel::setFixedBox(const QSize& size)
{
    autoSize_ = false;
    resize(size);
}

void LcdLabel::setGhostSegments(bool on)
{
    style_.ghostSegments = on;
    update();
}

QSize LcdLabel::sizeHint() const
{
    return lcd::textSize(text_, style_).toSize();
}

void LcdLabel::fitToText()
{
    if (autoSize_)
        resize(sizeHint());
}

void LcdLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    lcd::drawText(painter, QPointF(0, 0), text_, style_);
}
