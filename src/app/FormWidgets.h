#pragma once

#include <QFont>
#include <QString>

class QWidget;

// Small helpers for laying out the window's controls at fixed pixel places.
namespace form {

// Font by family, pixel height and weight ("MS Sans Serif" and "Arial" are
// mapped to installed faces by the application's font substitutions).
QFont font(const QString& family, int pixelSize, bool bold);

// Places a control at left, top with the given size (client pixels).
void place(QWidget* widget, int left, int top, int width, int height);

// Places a control at left, top and lets it take its natural size.
void placeAuto(QWidget* widget, int left, int top);

// The system colours of the window's design.
extern const char* const kButtonFace;
extern const char* const kInfoTip;
extern const char* const kGradientInactiveCaption;

} // namespace form
