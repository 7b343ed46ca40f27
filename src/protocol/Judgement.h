#pragma once

#include <QString>
#include <QStringView>

// Pass/fail of a T1 or T2 reading against the user's low and high limits.
enum class Verdict { Pass, Fail };

// "Pass" or "Fail", as the table records it.
QString verdictText(Verdict verdict);

// Passes when lo <= value <= hi (both inclusive; lo above hi fails every
// reading). A value text that is not a number (overload, dashes) fails, as
// does the value -999999, which stands for "no number". A limit that is not
// a number fails too: no reading can be known to lie inside it.
Verdict judgeReading(QStringView valueText, QStringView loText, QStringView hiText,
                     QStringView decimalSep);
