#pragma once

#include <QFont>
#include <QStringList>
#include <QToolButton>

// The chart toolbar's page number. The button keeps its size whatever the
// number, so the controls beside it never move: a number too wide for the
// button's font is drawn smaller, and one that would need a font below
// kSmallestOneLinePixels breaks into two lines instead. text() stays the
// number.
class PageNumberButton : public QToolButton {
public:
    explicit PageNumberButton(QWidget* parent = nullptr);

    static constexpr int kSmallestOneLinePixels = 8;
    static constexpr int kSmallestPixels = 6;

    // The caption as drawn: its font and its lines, top to bottom.
    struct Caption {
        QFont font;
        QStringList lines;
    };
    Caption caption() const;
    // The room for the caption, in the button's own coordinates.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
