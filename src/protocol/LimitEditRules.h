#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Rules that keep the limit edits (T1LO, T1HI, T2LO, T2HI) holding numbers.

// A typed character is let through when it is backspace, '-', a digit or the
// first character of the decimal separator; '+' and exponents are not.
bool limitKeyAccepted(QChar typed, QStringView decimalSep);

// The text an edit is repaired to, and what of it to select so that the next
// key typed replaces it.
struct LimitRepair {
    QString text;
    int selectionStart = 0;
    int selectionLength = 0;
};

// Repair after any change of the text: a lone "-" becomes "-0" with the 0
// selected, so a digit typed next follows the sign; any other text that is
// not a number becomes a selected "0". Nothing when the text is a number.
std::optional<LimitRepair> repairLimitText(QStringView text, QStringView decimalSep);
