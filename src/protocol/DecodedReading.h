#pragma once

#include <QChar>
#include <QString>

#include <optional>

// The channel a reading belongs to; None means the frame leaves the channel,
// the value edits and the judgement as they are.
enum class MeterChannel { T1, T2, T1MinusT2, None };

// One meter frame decoded into what the LCD readout and the current reading
// take from it. A null QChar means "leave what is shown".
struct DecodedReading {
    // The four display characters, leftmost first (LcdD4, LcdD3, LcdD2, LcdD1),
    // already mapped to the LCD glyph characters.
    QChar d4, d3, d2, d1;
    bool decimalPoint = false; // the point between d2 and d1
    bool negative = false;
    QChar unitSymbol;     // '#' Celsius, '?' Fahrenheit, 'K' kelvin, or null
    QChar typeLetter;     // 'K', 'J', 'T', 'E', 'N', 'R', 'S', or null
    QString clockCaption; // "H:M" or "M:S"
    QString clockText;    // e.g. "12:34", as the frame carries it
    QString valueText;    // e.g. " 023.5", "-0235", "----", " 0L "
    MeterChannel channel = MeterChannel::None;
    // The value as a number, when the value text converts and the display
    // shows no dash at d2 or d1.
    std::optional<double> value;

    QString signText() const { return negative ? QStringLiteral("-") : QStringLiteral(" "); }
    QString channelText() const;
};
