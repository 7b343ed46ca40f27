#include "app/GapCaptionCheckBox.h"

#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace {

// Head, blanks (two or more), tail.
const QRegularExpression& gapPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^(.*\\S) {2,}(\\S.*)$"));
    return pattern;
}

} // namespace

GapCaptionCheckBox::GapCaptionCheckBox(const QString& caption, QWidget* parent)
    : QCheckBox(caption, parent)
{
}

void GapCaptionCheckBox::setTailLeft(int left)
{
    tailLeft_ = left;
    updateGeometry();
    resize(sizeHint());
    update();
}

QString GapCaptionCheckBox::head() const
{
    const QRegularExpressionMatch match = gapPattern().match(text());
    return match.hasMatch() ? match.captured(1) : text();
}

QString GapCaptionCheckBox::tail() const
{
    const QRegularExpressionMatch match = gapPattern().match(text());
    return match.hasMatch() ? match.captured(2) : QString();
}

QRect GapCaptionCheckBox::tailRect() const
{
    const QString t = tail();
    if (t.isEmpty())
        return {};
    return {tailLeft_, 0, fontMetrics().horizontalAdvance(t) + 2, height()};
}

QSize GapCaptionCheckBox::sizeHint() const
{
    const QString t = tail();
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = head();
    QSize size = style()->sizeFromContents(
        QStyle::CT_CheckBox, &option, fontMetrics().size(Qt::TextShowMnemonic, option.text), this);
    if (!t.isEmpty())
        size.setWidth(std::max(size.width(), tailLeft_ + fontMetrics().horizontalAdvance(t) + 2));
    return size;
}

void GapCaptionCheckBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString t = tail();
    option.text = head();
    painter.drawControl(QStyle::CE_CheckBox, option);
    if (t.isEmpty())
        return;
    style()->drawItemText(&painter, tailRect(), Qt::AlignLeft | Qt::AlignVCenter, palette(),
                          isEnabled(), t, QPalette::WindowText);
}

bool GapCaptionCheckBox::hitButton(const QPoint& pos) const
{
    return QCheckBox::hitButton(pos) || tailRect().contains(pos);
}
