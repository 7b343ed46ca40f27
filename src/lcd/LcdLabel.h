#pragma once

#include "lcd/LcdText.h"

#include <QWidget>

// A transparent label drawn with the LCD symbol renderer. Like a caption
// label it sizes itself to its text unless given a fixed size.
class LcdLabel : public QWidget {
    Q_OBJECT

public:
    LcdLabel(const QString& text, qreal pixelSize, bool bold, QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    void setFixedBox(const QSize& size); // stop sizing to the text
    void setGhostSegments(bool on);
    const lcd::Style& style() const { return style_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fitToText();

    QString text_;
    lcd::Style style_;
    bool autoSize_ = true;
};
