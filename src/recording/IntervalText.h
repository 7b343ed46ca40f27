#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

// The sampling interval edit: whole seconds typed as digits.
namespace interval {

// Typed characters that the edit lets through: digits and backspace (8).
bool acceptsKey(QChar typed);

// The text with everything but the digits 0-9 removed (a pasted text).
QString digitsOnly(const QString& text);

// The interval in seconds: 0 for an empty text, "-" or "+"; otherwise the
// digits read as a decimal number, where a number beyond 2147483647 counts
// as 2147483647. Non-digits are ignored.
qint32 value(const QString& text);

} // namespace interval
