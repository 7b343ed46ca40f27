#include "app/FormWidgets.h"

#include <QWidget>

namespace form {

const char* const kButtonFace = "#f0f0f0";
const char* const kInfoTip = "#ffffe1";
const char* const kGradientInactiveCaption = "#d7e4f2";

QFont font(const QString& family, int pixelSize, bool bold)
{
    QFont f(family);
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(left, top, width, height);
}

void placeAuto(QWidget* widget, int left, int top)
{
    widget->adjustSize();
    widget->move(left, top);
}

} // namespace form
