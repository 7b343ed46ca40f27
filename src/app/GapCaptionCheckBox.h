#pragma once

#include <QCheckBox>

// A check box whose caption leaves room for another control: the text after
// the caption's run of blanks ("'S" of "Sampling Interval           'S") is
// drawn from a given x, right of the control that sits in the gap, instead
// of wherever the blanks happen to carry it in the current font. text()
// stays the whole caption.
class GapCaptionCheckBox : public QCheckBox {
public:
    GapCaptionCheckBox(const QString& caption, QWidget* parent = nullptr);

    // Where the tail starts, in the box's own coordinates; the box grows to
    // take it in.
    void setTailLeft(int left);
    // The tail's place, in the box's own coordinates (empty without a tail).
    QRect tailRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override; // the tail toggles too

private:
    QString head() const;
    QString tail() const;

    int tailLeft_ = 0;
};
