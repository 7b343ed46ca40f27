#pragma once

#include <QStringView>

#include <optional>

// Converts a decimal number typed or shown as text, with the window's decimal
// separator: optional blanks, an optional sign directly followed by digits,
// optionally the separator and more digits, optional blanks. At least one
// digit is needed ("5", "5,", ",5"); exponents are not taken, since neither the
// meter nor the limit edits produce them. The separator may be any text; an
// empty one accepts whole numbers only. Returns nothing for any other text.
std::optional<double> numberFromText(QStringView text, QStringView decimalSep);
